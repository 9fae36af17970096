// Fuzzes the readers' pattern matcher against the C library's sscanf: for a line of the input,
// every reader pattern must give the same count and the same values; and the OBJ reader's single
// pass must match the line to the pattern, and the values, that trying its patterns gives, also
// where the whole input lies in a block as the reader reads it.
#include <algorithm>
#include <string>

#include "assets/line_reader.h"
#include "fuzz_support.h"
#include "sscanf_comparison.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A line as the readers see one: at most MaxLineLength characters.
    const std::string line(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, MaxLineLength));
    for (const char* pattern : {"v %f %f %f", "vt %f %f", "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d", "f %d//%d %d//%d %d//%d %d//%d",
                                "f %d/%d %d/%d %d/%d %d/%d", "f %d %d %d %d", "mtllib %s", "Smooth %d"})
        require(compareWithSscanf(line.c_str(), pattern).empty());
    require(compareObjLineMatchers(line.c_str()).empty());
    require(compareObjLinesInPlace(std::string(reinterpret_cast<const char*>(data), size)).empty());
    return 0;
}
