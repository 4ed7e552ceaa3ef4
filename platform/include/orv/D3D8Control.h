// Test-side control of the stand-in Direct3D 8 runtime: the adapters it
// offers, creation failures, live-object accounting, device loss and the
// pixels of front and back buffers. The plug-in never includes this header.
#pragma once

#include <d3d8.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvd3d8 {

struct AdapterConfig {
    std::string description = "Orv Software Rasterizer";
    std::string driver = "orvd3d8.dll";
    D3DDISPLAYMODE desktop = {1024, 768, 60, D3DFMT_X8R8G8B8};
    // DefaultAdapter(): 640x480, 800x600, 1024x768 and 1280x1024 at 60 Hz, each
    // in X8R8G8B8 and R5G6B5.
    std::vector<D3DDISPLAYMODE> modes;
    // false: CreateDevice(D3DDEVTYPE_HAL) and CheckDeviceType(HAL) fail with
    // D3DERR_NOTAVAILABLE.
    bool halAvailable = true;
    // false: the reference rasteriser is missing as well.
    bool refAvailable = true;
    // false: CreateDevice with that vertex-processing behaviour fails with
    // D3DERR_NOTAVAILABLE.
    bool hardwareVertexProcessing = true, mixedVertexProcessing = true,
         softwareVertexProcessing = true;
    DWORD maxSimultaneousTextures = 8, maxActiveLights = 8, maxTextureWidth = 16384,
          maxTextureHeight = 16384;
    // D3DCAPS8::TextureCaps. CreateTexture follows the size rules it states:
    // D3DPTEXTURECAPS_POW2 refuses sides that are not powers of two (with
    // D3DPTEXTURECAPS_NONPOW2CONDITIONAL, only when more than one level is
    // asked for), D3DPTEXTURECAPS_SQUAREONLY refuses non-square textures.
    DWORD textureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA |
                        D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_PROJECTED |
                        D3DPTEXTURECAPS_TEXREPEATNOTSCALEDBYSIZE;
    // CheckDeviceFormat(..., D3DRTYPE_TEXTURE, format) and CreateTexture accept
    // only these.
    std::vector<D3DFORMAT> textureFormats;
    // Depth-stencil checks, CheckDepthStencilMatch and depth surfaces.
    std::vector<D3DFORMAT> depthFormats;
};

ORV_D3D8_API AdapterConfig DefaultAdapter();
// Replaces the adapters (default: one DefaultAdapter()).
ORV_D3D8_API void SetAdapters(const std::vector<AdapterConfig>& adapters);
// Edit one adapter in place; changes apply to later calls.
ORV_D3D8_API AdapterConfig& Adapter(unsigned index);
// Makes Direct3DCreate8 return null.
ORV_D3D8_API void SetCreateFails(bool fails);
// Draws are validated and recorded either way; with the rasteriser off they
// leave the back buffer alone (benchmarks of the callers use this).
ORV_D3D8_API void EnableRasterizer(bool enable);

// IDirect3D8 objects, devices and resources whose reference count is above 0.
ORV_D3D8_API size_t LiveObjectCount();
// One line per live object, e.g. "IDirect3DTexture8 64x64 A8R8G8B8 refs=1".
ORV_D3D8_API std::vector<std::string> LiveObjectDescriptions();
// The most recently created device still alive (no reference added), or null.
ORV_D3D8_API IDirect3DDevice8* LastDevice();
ORV_D3D8_API D3DPRESENT_PARAMETERS PresentParametersOf(IDirect3DDevice8* device);
// A lost device answers TestCooperativeLevel with D3DERR_DEVICENOTRESET and
// Present with D3DERR_DEVICELOST until Reset succeeds.
ORV_D3D8_API void SetDeviceLost(IDirect3DDevice8* device, bool lost);

// Pixels as A8R8G8B8 values, row by row.
struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) +
                      static_cast<size_t>(x)];
    }
};
// The adapter's front buffer: the desktop, or what a full-screen device presented.
ORV_D3D8_API Image DesktopImage(unsigned adapter);
ORV_D3D8_API Image BackBufferImage(IDirect3DDevice8* device);

// The stored bytes of one level of a texture, rows `pitch` bytes apart (rows
// of 4x4 blocks for the DXT formats); empty for a level or texture that does
// not exist. Reads without locking and without a journal entry.
struct LevelBytes {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT width = 0, height = 0, pitch = 0, rows = 0;
    std::vector<uint8_t> bytes;
};
ORV_D3D8_API LevelBytes TextureLevelBytes(IDirect3DTexture8* texture, UINT level);
// The same level's pixels as A8R8G8B8 (uncompressed colour formats only).
ORV_D3D8_API Image TextureLevelImage(IDirect3DTexture8* texture, UINT level);

// The device's automatic depth-stencil buffer: depth in 0..1 and stencil per
// pixel, row by row; empty without one.
struct DepthImage {
    int width = 0, height = 0;
    std::vector<float> depth;
    std::vector<uint32_t> stencil;
    float DepthAt(int x, int y) const {
        return depth[static_cast<size_t>(y) * static_cast<size_t>(width) +
                     static_cast<size_t>(x)];
    }
};
ORV_D3D8_API DepthImage DepthBufferImage(IDirect3DDevice8* device);

// One successful draw as the device saw it. `vertices` holds the bytes of the
// vertices the draw reads, starting with vertex `firstVertex` of the vertex
// buffer (0 for the user-pointer draws, which copy the caller's array): for the
// indexed draws, the vertices minIndex .. minIndex + numVertices - 1 after the
// base vertex index. `indices` are the index values read, unchanged.
enum class DrawKind { Primitive, IndexedPrimitive, PrimitiveUP, IndexedPrimitiveUP };
struct DrawRecord {
    DrawKind kind = DrawKind::Primitive;
    D3DPRIMITIVETYPE primitiveType = D3DPT_TRIANGLELIST;
    UINT primitiveCount = 0;
    DWORD vertexShader = 0;  // the FVF code in use
    UINT stride = 0;
    UINT firstVertex = 0;
    UINT vertexCount = 0;
    std::vector<uint8_t> vertices;
    UINT baseVertexIndex = 0, minIndex = 0, startIndex = 0;
    std::vector<uint32_t> indices;
    IDirect3DBaseTexture8* texture0 = nullptr;  // bound to stage 0 (no reference)
};
// The device's recorded draws, oldest first (the most recent 4096 are kept).
ORV_D3D8_API std::vector<DrawRecord> DrawsOf(IDirect3DDevice8* device);
ORV_D3D8_API void ClearDraws(IDirect3DDevice8* device);

}  // namespace orvd3d8
