// The test-side control functions of orv/D3D8Control.h.
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "Device8.h"
#include "LiveObject.h"
#include "PixelFormat.h"
#include "Runtime.h"
#include "Surface8.h"
#include "Texture8.h"

namespace orvd3d8 {
namespace {

void ResetRuntime() { Runtime::Get().Restore(); }

struct ResetHookRegistration {
    ResetHookRegistration() { orvplatform::RegisterResetHook(&ResetRuntime); }
} g_ResetHookRegistration;

Device8* FindDevice(IDirect3DDevice8* device) {
    return Runtime::Get().IsDevice(device) ? static_cast<Device8*>(device) : nullptr;
}

// The level of a texture the runtime made and still holds, or null.
const Surface8* FindTextureLevel(IDirect3DTexture8* texture, UINT level) {
    if (!texture) return nullptr;
    for (LiveObject* object : Runtime::Get().Objects()) {
        auto* candidate = dynamic_cast<Texture8*>(object);
        if (candidate && static_cast<IDirect3DTexture8*>(candidate) == texture)
            return level < candidate->LevelCount() ? candidate->Level(level) : nullptr;
    }
    return nullptr;
}

}  // namespace

AdapterConfig DefaultAdapter() {
    AdapterConfig config;
    const UINT sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5})
        for (const auto& size : sizes) config.modes.push_back({size[0], size[1], 60, format});
    // R8G8B8 stays out: display adapters of the era did not texture from it.
    config.textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                             D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8,     D3DFMT_L8,
                             D3DFMT_A8L8,     D3DFMT_DXT1,     D3DFMT_DXT2,   D3DFMT_DXT3,
                             D3DFMT_DXT4,     D3DFMT_DXT5,     D3DFMT_V8U8,   D3DFMT_Q8W8V8U8};
    config.depthFormats = {D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D32};
    return config;
}

void SetAdapters(const std::vector<AdapterConfig>& adapters) {
    Runtime::Get().SetAdapters(adapters);
}

AdapterConfig& Adapter(unsigned index) { return Runtime::Get().Adapters().at(index); }

void SetCreateFails(bool fails) { Runtime::Get().SetCreateFails(fails); }

void EnableRasterizer(bool enable) { Runtime::Get().EnableRasterizer(enable); }

size_t LiveObjectCount() {
    size_t count = 0;
    for (LiveObject* object : Runtime::Get().Objects())
        count += object->Counted() && object->PublicRefs() > 0;
    return count;
}

std::vector<std::string> LiveObjectDescriptions() {
    std::vector<std::string> lines;
    for (LiveObject* object : Runtime::Get().Objects())
        if (object->Counted() && object->PublicRefs() > 0)
            lines.push_back(object->Describe() + " refs=" + std::to_string(object->PublicRefs()));
    return lines;
}

IDirect3DDevice8* LastDevice() { return Runtime::Get().LastDevice(); }

D3DPRESENT_PARAMETERS PresentParametersOf(IDirect3DDevice8* device) {
    Device8* found = FindDevice(device);
    return found ? found->PresentParameters() : D3DPRESENT_PARAMETERS{};
}

void SetDeviceLost(IDirect3DDevice8* device, bool lost) {
    if (Device8* found = FindDevice(device)) found->SetLost(lost);
}

Image DesktopImage(unsigned adapter) {
    Runtime& runtime = Runtime::Get();
    if (!runtime.FindAdapter(adapter)) return Image{};
    return runtime.Desktop(adapter);
}

Image BackBufferImage(IDirect3DDevice8* device) {
    Device8* found = FindDevice(device);
    if (!found || !found->BackBuffer()) return Image{};
    return found->BackBuffer()->ToImage();
}

LevelBytes TextureLevelBytes(IDirect3DTexture8* texture, UINT level) {
    LevelBytes result;
    const Surface8* surface = FindTextureLevel(texture, level);
    if (!surface) return result;
    const Surface8::Desc& desc = surface->Description();
    result.format = desc.format;
    result.width = desc.width;
    result.height = desc.height;
    result.pitch = surface->Pitch();
    result.rows = PixelFormat::Rows(desc.format, desc.height);
    result.bytes.assign(surface->Bits(), surface->Bits() + size_t{result.pitch} * result.rows);
    return result;
}

Image TextureLevelImage(IDirect3DTexture8* texture, UINT level) {
    const Surface8* surface = FindTextureLevel(texture, level);
    return surface && !PixelFormat::IsCompressed(surface->Description().format) ? surface->ToImage()
                                                                              : Image{};
}

DepthImage DepthBufferImage(IDirect3DDevice8* device) {
    Device8* found = FindDevice(device);
    DepthImage image;
    if (!found || !found->DepthStencil()) return image;
    const Surface8& surface = *found->DepthStencil();
    const D3DFORMAT format = surface.Description().format;
    image.width = static_cast<int>(surface.Description().width);
    image.height = static_cast<int>(surface.Description().height);
    for (UINT y = 0; y < surface.Description().height; ++y)
        for (UINT x = 0; x < surface.Description().width; ++x) {
            const uint8_t* pixel = surface.PixelAt(x, y);
            image.depth.push_back(PixelFormat::ReadDepth(format, pixel));
            image.stencil.push_back(PixelFormat::ReadStencil(format, pixel));
        }
    return image;
}

std::vector<DrawRecord> DrawsOf(IDirect3DDevice8* device) {
    Device8* found = FindDevice(device);
    return found ? found->Draws() : std::vector<DrawRecord>{};
}

void ClearDraws(IDirect3DDevice8* device) {
    if (Device8* found = FindDevice(device)) found->ClearDraws();
}

}  // namespace orvd3d8
