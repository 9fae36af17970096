// Finding a file a model names as it was written on the exporter's machine: a Windows path with
// backslashes and a drive letter, an absolute path into someone's home, or a name in another case
// than the file's (a file system that ignores case forgives it; this one does not).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class FoundBy {
    AsWritten,     // the path as written, relative to the first folder
    IgnoringCase,  // the same path, its names matched regardless of case
    BareName,      // only its last name, in one of the folders, regardless of case
    BelowFolder,   // the same in a folder below one of them, two levels down at most
};

struct FoundFile {
    std::filesystem::path path;
    FoundBy by = FoundBy::AsWritten;
    std::size_t folder = 0; // which of the folders it was found in
};

// Looks for the file as written (backslashes taken as folder separators), relative to the first
// folder; then the same path with each name matched regardless of case; then its bare name in each
// folder in turn, regardless of case; then in the folders below each. Only regular files count.
// Among names that differ only in case, the one written exactly wins, then the first in byte order.
std::optional<FoundFile> findModelFile(const std::string& written, const std::vector<std::filesystem::path>& folders);

// A name as written, in quotes, for the report: written names may hold spaces.
std::string inQuotes(std::string_view name);

// Whether two names are the same regardless of the case of their ASCII letters.
bool equalIgnoringCase(std::string_view a, std::string_view b);

// The path as written with backslashes made folder separators and surrounding quotes taken off.
std::string portablePath(const std::string& written);
