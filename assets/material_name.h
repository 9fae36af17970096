// Material names as the readers keep them: cut to what MaterialDef::name holds, so that a long
// "newmtl" name and the "usemtl" line that repeats it still meet.
#pragma once

#include <algorithm>
#include <cstring>

#include "assets/model.h"
#include "assets/pattern_scanner.h"

// Copies a scanned word into a name field of MaterialNameSize bytes, cut to its first
// MaterialNameSize - 1 characters. True when it had to be cut.
inline bool copyMaterialName(char* name, const ScannedField& word)
{
    const int length = std::min(word.wordLength, MaterialNameSize - 1);
    std::memcpy(name, word.word, static_cast<std::size_t>(length));
    name[length] = '\0';
    return length < word.wordLength;
}
