// Opening a file that can really be read.
#include "assets/readable_file.h"

std::FILE* openReadableFile(const char* fileName, const char* mode)
{
    std::FILE* file = std::fopen(fileName, mode);
    if (!file)
        return nullptr;
    // fopen succeeds on a directory; only its first read fails. One byte pushed back is always
    // allowed, and fread and getc hand it out again first.
    const int first = std::getc(file);
    if (first == EOF) {
        if (std::ferror(file)) {
            std::fclose(file);
            return nullptr;
        }
        std::clearerr(file); // an empty file: the readers find its end again themselves
        return file;
    }
    std::ungetc(first, file);
    return file;
}
