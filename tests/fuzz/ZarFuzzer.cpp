// ZAR texture files through the driver, as a host uses a texture: created
// from the file, bound to stage 0, read and written through its system copy,
// uploaded and released; once on each fuzzing adapter (the plain one decodes
// DXT blocks in software and chooses 16-bit formats). Nothing stays alive.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzHost.h"
#include "host/Texture.h"

namespace {

// The frames a host touches of a texture that may have many.
constexpr unsigned kFramesTouched = 3;

void UseTexture(RenderDevice* driver, Texture* texture) {
    driver->SetTexture(0, texture);
    const unsigned width = texture->GetWidth(), height = texture->GetHeight(), frames = texture->GetFrameCount();
    if (width == 0 || height == 0 || frames == 0) orvfuzz::Fail("a loaded texture has pixels");
    for (unsigned frame = 0; frame < frames && frame < kFramesTouched; ++frame) {
        if (!texture->GetFrameData(frame)) orvfuzz::Fail("every frame has a system copy");
        const unsigned corner = texture->GetPixel(width - 1, height - 1, frame);
        texture->SetPixel(0, 0, corner, frame);
        texture->UpdateRect(frame, 0, 0, static_cast<int>(width), static_cast<int>(height), true);
        texture->UpdateFrame(frame, false);
    }
    texture->UpdateAllFrames(false);
    texture->SetFrame(frames - 1);
    driver->SetTexture(0, texture);
    driver->SetTexture(0, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = orvfuzz::WriteScratchFile("input.zar", data, size);
    for (const orvfuzz::FuzzHost* host : orvfuzz::FuzzHost::OnEveryAdapter()) {
        RenderDevice* driver = host->Driver();
        if (Texture* texture = driver->CreateTextureFromFile(path.c_str(), true, false)) {
            UseTexture(driver, texture);
            driver->ReleaseTexture(texture);
        }
    }
    orvfuzz::RequireNothingLeft("a ZAR file");
    return 0;
}
