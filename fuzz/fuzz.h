#pragma once
// What the fuzz targets share: libFuzzer's entry point, and a check whose failure aborts, which libFuzzer reports.
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

inline void check(bool condition) { condition ? void() : std::abort(); }
