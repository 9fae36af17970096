// The console lines the model readers share: the "Loading ...: " lines, their completion and the
// error messages, written once here so every reader prints the same bytes.
#pragma once

#include <cstdio>

enum class LoadError {
    FileNotFound,
    InvalidFormat,
    OutOfMemory,
    FileDamaged,
    NoRleHeader,
    NoRawPixel,
    NoRunPixel,
    TooManyPixels,
};

// Where the readers print; standard output unless a tool that decodes many files in a loop (a
// fuzzer, a benchmark) silences it. Process-wide, set before any load and never reset.
std::FILE* loadReportStream();
void setLoadReportStream(std::FILE* stream);

// "Loading model %s: ", "Loading material library %s: ", "Loading texture %s: ": no line break,
// the same line is completed by reportDone or reportLoadError.
void reportLoadingModel(const char* fileName);
void reportLoadingLibrary(const char* fileName);
void reportLoadingTexture(const char* fileName);
void reportDone();
void reportLoadError(LoadError error);

// "Completed loading model %s.\n\n": the last line of a whole model's load, then an empty line.
void reportCompletedModel(const char* fileName);
