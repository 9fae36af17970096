// Line reading over blocks of the file: a memchr per line instead of a getc per character, with
// the same lines as reading one character at a time would give.
#include "assets/line_reader.h"

#include <algorithm>
#include <cstring>

namespace {

// Most files hold no CR at all: one search per block finds that out, where a search per line
// would look for one in every line.
void findNextCr(LineReader& reader)
{
    const void* cr = std::memchr(reader.block + reader.position, '\r', reader.end - reader.position);
    reader.nextCr = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - reader.block) : reader.end;
}

// Reads the next block. False when nothing came: the end of the file or a read error.
bool refill(LineReader& reader)
{
    if (reader.endOfFile || reader.readError)
        return false;
    reader.position = 0;
    reader.end = std::fread(reader.block, 1, LineReaderBlockSize, reader.file);
    reader.block[reader.end] = '\0';
    if (reader.end > 0) {
        findNextCr(reader);
        return true;
    }
    // Bytes that came before an error are handed out first, as reading them one by one would;
    // the error or the end is only seen by the read that gets nothing.
    if (std::ferror(reader.file))
        reader.readError = true;
    else
        reader.endOfFile = true;
    return false;
}

// The length of the next line within the span at the reader's position: up to its first LF, or
// a CR before that; the whole span when it holds neither.
std::size_t lineLength(LineReader& reader, std::size_t span)
{
    const char* start = reader.block + reader.position;
    if (reader.nextCr < reader.position)
        findNextCr(reader);
    std::size_t length = span;
    if (const void* lf = std::memchr(start, '\n', span))
        length = static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1;
    if (reader.nextCr < reader.position + length)
        length = reader.nextCr - reader.position + 1;
    return length;
}

// Gives back the byte that the last line handed out in place covered with its NUL.
void restoreTerminator(LineReader& reader)
{
    if (reader.terminator) {
        *reader.terminator = reader.saved;
        reader.terminator = nullptr;
    }
}

// Copies the next line into line, NUL-terminated, and returns its length in bytes; 0 when no line
// could be read.
std::size_t copyLine(LineReader& reader, char* line)
{
    restoreTerminator(reader);
    std::size_t stored = 0;
    for (;;) {
        if (reader.position == reader.end && !refill(reader)) {
            if (reader.readError)
                return 0;
            break;
        }
        const char* start = reader.block + reader.position;
        const std::size_t span =
            std::min(reader.end - reader.position, static_cast<std::size_t>(MaxLineLength) - stored);
        const std::size_t length = lineLength(reader, span);
        std::memcpy(line + stored, start, length);
        stored += length;
        reader.position += length;
        const char last = line[stored - 1];
        if (last == '\n' || last == '\r' || stored == static_cast<std::size_t>(MaxLineLength))
            break;
    }
    line[stored] = '\0';
    return stored;
}

} // namespace

void startLineReader(LineReader& reader, std::FILE* file)
{
    reader.file = file;
    reader.position = 0;
    reader.end = 0;
    reader.nextCr = 0;
    reader.endOfFile = false;
    reader.readError = false;
    reader.terminator = nullptr;
}

std::string_view readLineInPlace(LineReader& reader, char* spill)
{
    restoreTerminator(reader);
    if (reader.position == reader.end)
        refill(reader);
    if (reader.position < reader.end) {
        char* start = reader.block + reader.position;
        const std::size_t span = std::min(reader.end - reader.position, static_cast<std::size_t>(MaxLineLength));
        const std::size_t length = lineLength(reader, span);
        const char last = start[length - 1];
        if (last == '\n' || last == '\r' || length == static_cast<std::size_t>(MaxLineLength)) {
            reader.position += length;
            reader.terminator = start + length;
            reader.saved = *reader.terminator;
            *reader.terminator = '\0';
            return {start, length};
        }
    }
    // The line goes on in the next block, or this one is used up: read as readLine reads.
    return {spill, copyLine(reader, spill)};
}

const char* unreadText(LineReader& reader, const char*& end)
{
    restoreTerminator(reader);
    if (reader.position == reader.end && !refill(reader))
        return nullptr;
    end = reader.block + reader.end;
    return reader.block + reader.position;
}

void skipWholeLines(LineReader& reader, std::size_t count) { reader.position += count; }

char* readLine(LineReader& reader, char* line)
{
    return copyLine(reader, line) > 0 ? line : nullptr;
}
