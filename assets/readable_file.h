// Opening a model, material-library or texture file so that a path which opens but cannot be read
// (a directory named like a model, an unreadable device) counts as a file that is not there.
#pragma once

#include <cstdio>

// Opens the file with fopen's mode and reads nothing from it for the caller: the first byte is
// tried and pushed back. Null when the file does not open or its first read fails; an empty file
// opens. The caller closes what it gets.
std::FILE* openReadableFile(const char* fileName, const char* mode);
