// Image files through the extension routines: D3DXCreateTextureFromFileInMemory
// and then D3DXFilterTexture on every texture it makes, once on each fuzzing
// adapter's device. A load either fails and hands out nothing, or gives a
// texture with a whole mip chain; nothing stays alive after the input.
#include <d3d8.h>
#include <d3dx8.h>

#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "support/TestWindow.h"

namespace {

struct Devices {
    IDirect3D8* direct3D = nullptr;
    IDirect3DDevice8* device[orvfuzz::kAdapterCount] = {};
    orvfuzz::LiveObjects baseline;
};

Devices& MakeDevices() {
    static Devices* devices = [] {
        orvfuzz::ConfigurePlatform();
        Devices* made = new Devices;
        const HWND window = orvtest::CreateTestWindow("fuzz", WS_POPUP, 0, 0, 64, 48);
        made->direct3D = Direct3DCreate8(D3D_SDK_VERSION);
        if (!window || !made->direct3D) orvfuzz::Fail("a window and Direct3D");
        for (unsigned adapter = 0; adapter < orvfuzz::kAdapterCount; ++adapter) {
            D3DPRESENT_PARAMETERS present = {};
            present.BackBufferFormat = D3DFMT_X8R8G8B8;
            present.SwapEffect = D3DSWAPEFFECT_DISCARD;
            present.Windowed = TRUE;
            if (FAILED(made->direct3D->CreateDevice(adapter, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                                    &present, &made->device[adapter])))
                orvfuzz::Fail("a device on every adapter");
        }
        made->baseline = orvfuzz::CountLiveObjects();
        return made;
    }();
    return *devices;
}

UINT FullChain(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT side = width > height ? width : height; side > 1; side >>= 1) ++levels;
    return levels;
}

void LoadAndFilter(IDirect3DDevice8* device, const uint8_t* data, size_t size) {
    IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(1);
    if (FAILED(D3DXCreateTextureFromFileInMemory(device, data, static_cast<UINT>(size), &texture))) {
        if (texture) orvfuzz::Fail("a failed load hands out no texture");
        return;
    }
    if (!texture) orvfuzz::Fail("a successful load hands out a texture");
    D3DSURFACE_DESC top;
    if (FAILED(texture->GetLevelDesc(0, &top))) orvfuzz::Fail("the texture has a level 0");
    if (texture->GetLevelCount() != FullChain(top.Width, top.Height))
        orvfuzz::Fail("a loaded texture has a whole mip chain");
    // Whether the filter can work on the format or not, it must not harm.
    D3DXFilterTexture(texture, nullptr, D3DX_DEFAULT, D3DX_DEFAULT);
    if (texture->Release() != 0) orvfuzz::Fail("the caller holds the only reference");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    MakeDevices();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    Devices& devices = MakeDevices();
    for (IDirect3DDevice8* device : devices.device) LoadAndFilter(device, data, size);
    orvfuzz::RequireNothingLeft(devices.baseline, "an image file");
    return 0;
}
