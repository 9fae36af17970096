// Helpers for the model-reader tests: a private folder of files, standard output captured around a
// call, and a model whose load buffer is released afterwards.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "assets/obj_reader.h"

// A fresh temporary folder, removed with everything in it at the end.
class TempFolder {
public: TempFolder() : path_(std::filesystem::temp_directory_path() / "vantor-readers-XXXXXX")
    {
        std::string pattern = path_.string();
        EXPECT_NE(mkdtemp(pattern.data()), nullptr) << "cannot create a temporary folder";
        path_ = pattern;
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    // Writes the bytes to a file of that name in the folder and returns its full path.
    std::string write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private: std::filesystem::path path_;
};

// Runs the call with file descriptor 1 sent to a temporary file and returns what it wrote.
inline std::string captureStdout(const std::function<void()>& call)
{
    std::fflush(stdout);
    std::FILE* sink = std::tmpfile();
    const int saved = dup(1);
    dup2(fileno(sink), 1);
    call();
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    std::string text(static_cast<std::size_t>(std::ftell(sink)), '\0');
    std::rewind(sink);
    text.resize(std::fread(text.data(), 1, text.size(), sink));
    std::fclose(sink);
    return text;
}

// A model as the readers leave it; materialCount goes back to 0 because the readers set it without
// creating any Material for the unload to delete.
struct ReadModel {
    Model model;
    ~ReadModel() { releaseLoadBuffer(model); model.materialCount = 0; }
    ModelLoadBuffer& buffer() { return *model.loadBuffer; }
};

// The count lines that end every OBJ read.
inline std::string objCounts(int vertices, int normals, int texCoords, int triangles, int quads)
{
    char text[256];
    std::snprintf(text, sizeof text, "-> Number of vertices:   %d\n-> Number of normals:    %d\n-> Number of tex coords: %d\n"
                  "-> Number of triangles:  %d\n-> Number of quads:      %d\n", vertices, normals, texCoords, triangles, quads);
    return text;
}
