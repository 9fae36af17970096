// Line reading over blocks of the file: a memchr per line instead of a getc per character, with
// the same lines as reading one character at a time would give.
#include "assets/line_reader.h"

#include <algorithm>
#include <cstring>

namespace {

// Reads the next block. False when nothing came: the end of the file or a read error.
bool refill(LineReader& reader)
{
    if (reader.endOfFile || reader.readError)
        return false;
    reader.position = 0;
    reader.end = std::fread(reader.block, 1, sizeof reader.block, reader.file);
    if (reader.end > 0)
        return true;
    // Bytes that came before an error are handed out first, as reading them one by one would;
    // the error or the end is only seen by the read that gets nothing.
    if (std::ferror(reader.file))
        reader.readError = true;
    else
        reader.endOfFile = true;
    return false;
}

} // namespace

void startLineReader(LineReader& reader, std::FILE* file)
{
    reader.file = file;
    reader.position = 0;
    reader.end = 0;
    reader.endOfFile = false;
    reader.readError = false;
}

char* readLine(LineReader& reader, char* line)
{
    std::size_t stored = 0;
    for (;;) {
        if (reader.position == reader.end && !refill(reader)) {
            if (reader.readError || stored == 0)
                return nullptr;
            break;
        }
        const char* start = reader.block + reader.position;
        const std::size_t span =
            std::min(reader.end - reader.position, static_cast<std::size_t>(MaxLineLength) - stored);
        // The first LF, then the first CR before it: whichever comes first ends the line.
        std::size_t length = span;
        if (const void* lf = std::memchr(start, '\n', span))
            length = static_cast<const char*>(lf) - start + 1;
        if (const void* cr = std::memchr(start, '\r', length))
            length = static_cast<const char*>(cr) - start + 1;
        std::memcpy(line + stored, start, length);
        stored += length;
        reader.position += length;
        const char last = line[stored - 1];
        if (last == '\n' || last == '\r' || stored == static_cast<std::size_t>(MaxLineLength))
            break;
    }
    line[stored] = '\0';
    return line;
}
