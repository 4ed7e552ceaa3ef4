// Image files through the extension routines: D3DXCreateTextureFromFileInMemory
// and then D3DXFilterTexture on every texture it makes, once on each fuzzing
// adapter's device. A load either fails and hands out nothing, or gives a
// texture with a whole mip chain; nothing stays alive after the input.
#include <d3d8.h>
#include <d3dx8.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "FuzzHost.h"

namespace {

void LoadAndFilter(IDirect3DDevice8* device, const uint8_t* data, size_t size) {
    IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(1);
    if (FAILED(D3DXCreateTextureFromFileInMemory(device, data, static_cast<UINT>(size), &texture))) {
        if (texture) orvfuzz::Fail("a failed load hands out no texture");
        return;
    }
    if (!texture) orvfuzz::Fail("a successful load hands out a texture");
    D3DSURFACE_DESC top;
    if (FAILED(texture->GetLevelDesc(0, &top))) orvfuzz::Fail("the texture has a level 0");
    UINT levels = 1;
    for (UINT side = std::max(top.Width, top.Height); side > 1; side >>= 1) ++levels;
    if (texture->GetLevelCount() != levels) orvfuzz::Fail("a loaded texture has a whole mip chain");
    // Whether the filter can work on the format or not, it must not harm.
    D3DXFilterTexture(texture, nullptr, D3DX_DEFAULT, D3DX_DEFAULT);
    if (texture->Release() != 0) orvfuzz::Fail("the caller holds the only reference");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    for (const orvfuzz::FuzzHost* host : orvfuzz::FuzzHost::OnEveryAdapter()) LoadAndFilter(host->Device(), data, size);
    orvfuzz::RequireNothingLeft("an image file");
    return 0;
}
