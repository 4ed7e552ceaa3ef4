// What the fuzz targets share: a scratch directory of the process for the
// files that carry an input to the kernel's file system, and the check that
// an input left nothing alive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvfuzz {

// A directory of this process only, made on first use and removed at exit.
const std::string& ScratchDirectory();
// Writes the bytes to the scratch directory under `name`; the full path.
std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size);

// Takes the Direct3D and GDI objects alive now as what every input leaves.
void TakeBaseline();
// Prints what is alive beyond the baseline and aborts, so that the fuzzer
// keeps the input that leaked.
void RequireNothingLeft(const char* after);
// Prints the broken expectation and aborts.
[[noreturn]] void Fail(const char* expectation);

}  // namespace orvfuzz
