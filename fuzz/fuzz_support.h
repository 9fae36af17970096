// What the reader fuzz targets share: the readers' console silenced, in-memory files, and a
// broken invariant made a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/load_report.h"

// The readers print a line or more per file; at thousands of inputs a second that is only noise.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setLoadReportStream(std::fopen("/dev/null", "w"));
    return 0;
}

// An open stream over the bytes (which must outlive it); fmemopen takes no empty buffer, so an
// empty input reads from /dev/null.
inline std::FILE* openBytes(const std::uint8_t* data, std::size_t size)
{
    return size == 0 ? std::fopen("/dev/null", "rb") : fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
}

// Aborting makes the fuzzer keep the input.
inline void require(bool condition)
{
    if (!condition)
        std::abort();
}
