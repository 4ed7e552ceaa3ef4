// What the fuzz targets share: a host as the demo host makes one, for the
// targets that drive the plug-in or its device (a kernel without a log file
// whose file system starts at the example materials, the plug-in's driver
// from CreatePlugin and a windowed display on one of the fuzzing adapters);
// a scratch directory of the process for the files that carry an input to
// the kernel's file system; and the check that an input left nothing alive.
#pragma once

#include <d3d8.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "host/Kernel.h"
#include "host/RenderDevice.h"

namespace orvfuzz {

// Adapters of the stand-in runtime the hosts run on: the stand-in's own
// default adapter, and a plain one without DXT formats whose texture sides
// must be powers of two.
enum Adapter : unsigned { kDefaultAdapter, kPlainAdapter, kAdapterCount };

class FuzzHost {
public:
    // Aborts when the driver or its display cannot be made.
    explicit FuzzHost(unsigned adapter);
    ~FuzzHost();
    FuzzHost(const FuzzHost&) = delete;
    FuzzHost& operator=(const FuzzHost&) = delete;

    // A host on each fuzzing adapter, made on the first call and kept to the
    // end, on stand-ins reset with the journal off (so that memory stays flat
    // over millions of inputs); the plain adapter's driver chooses 16-bit
    // textures. What is alive then is the baseline of RequireNothingLeft.
    static const std::array<FuzzHost*, kAdapterCount>& OnEveryAdapter();

    RenderDevice* Driver() const { return m_pDriver; }
    IDirect3DDevice8* Device() const { return m_pDevice; }

private:
    std::unique_ptr<Kernel> m_pKernel;
    RenderDevice* m_pDriver = nullptr;
    IDirect3DDevice8* m_pDevice = nullptr;
};

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
