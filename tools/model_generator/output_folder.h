// The folder the generated files go to.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

class OutputFolder {
public:
    explicit OutputFolder(std::filesystem::path path) : path_(std::move(path)) {}

    // Writes the bytes as they are (no line-end translation); throws when the file cannot be
    // written, and when one run would write the same name twice.
    void write(const std::string& name, const std::string& bytes);

    const std::vector<std::string>& written() const { return written_; }

private:
    std::filesystem::path path_;
    std::vector<std::string> written_;
};
