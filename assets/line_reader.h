// Reading a text file line by line for the OBJ and MTL readers, a block at a time.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

constexpr int MaxLineLength = 254;                  // characters, terminator included
constexpr int LineBufferSize = MaxLineLength + 1;   // and the NUL
constexpr std::size_t LineReaderBlockSize = 32 * 1024; // bytes read from the file at once

// One open text file being read by lines. The reader that opened the file owns it and closes it;
// this record only borrows it for as long as lines are read.
struct LineReader {
    std::FILE* file = nullptr;
    std::size_t position = 0; // next unread byte of block
    std::size_t end = 0;      // bytes in block
    std::size_t nextCr = 0;   // the first CR in block at or after position, or end for none
    bool endOfFile = false;   // the file has no bytes left
    bool readError = false;   // a read failed for another reason than the end of the file
    char* terminator = nullptr; // where readLineInPlace put a NUL over the next byte, kept in saved
    char saved = 0;
    // And a byte for the NUL after the block's last byte, which ends any scan of the block there.
    char block[LineReaderBlockSize + 1];
};

void startLineReader(LineReader& reader, std::FILE* file);

// Reads the next line into line (LineBufferSize bytes) and returns line, or null when no line
// could be read. A line ends after a CR or an LF, which stays in the buffer, or after
// MaxLineLength characters, the rest then being the next line; so CR LF gives a line ending in CR
// and one holding only the LF. At the end of the file a last unterminated line is returned, and
// null only once nothing is left. A read error returns null, even in the middle of a line.
char* readLine(LineReader& reader, char* line);

// The same lines without copying them: the next line where it lies in the block, NUL-terminated
// there until the next call, or copied into spill (LineBufferSize bytes) when it runs past the
// block's end. Empty where readLine returns null: a line holds at least one character.
std::string_view readLineInPlace(LineReader& reader, char* spill);

// For a reader that finds where its commonest lines end as it reads them: the unread rest of the
// block, NUL-terminated at the block's end (end), or null when nothing is left to read. A caller
// that took lines from its start moves past them with skipWholeLines; for anything else it calls
// readLineInPlace, which hands out the same text as lines.
const char* unreadText(LineReader& reader, const char*& end);

// Moves past count bytes of the text unreadText gave, which must be whole lines as readLine cuts
// them.
void skipWholeLines(LineReader& reader, std::size_t count);
