// Device8: creating textures, surfaces and buffers, and copying between them.
#include <algorithm>
#include <cstring>

#include "Device8.h"
#include "IndexBuffer8.h"
#include "Journal.h"
#include "PixelFormat.h"
#include "Runtime.h"
#include "Surface8.h"
#include "Texture8.h"
#include "VertexBuffer8.h"
#include "VertexFormat.h"

namespace orvd3d8 {
namespace {

bool Contains(const std::vector<D3DFORMAT>& formats, D3DFORMAT format) {
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

// Direct3D 8 has no scratch pool.
bool ValidPool(D3DPOOL pool) { return pool <= D3DPOOL_SYSTEMMEM; }

// Managed resources are copied to video memory by the runtime, which cannot
// keep up with dynamic ones.
bool ValidPoolAndUsage(D3DPOOL pool, DWORD usage) {
    return ValidPool(pool) && !(pool == D3DPOOL_MANAGED && (usage & D3DUSAGE_DYNAMIC));
}

bool IsPowerOfTwo(UINT value) { return value != 0 && (value & (value - 1)) == 0; }

// The size rules a device's texture caps state for a texture of `levels`
// levels (0: the full chain).
bool SizeAllowedByCaps(DWORD textureCaps, UINT width, UINT height, UINT levels) {
    if ((textureCaps & D3DPTEXTURECAPS_SQUAREONLY) && width != height) return false;
    if (!(textureCaps & D3DPTEXTURECAPS_POW2) || (IsPowerOfTwo(width) && IsPowerOfTwo(height)))
        return true;
    return (textureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) && levels == 1;
}

// Copies the rectangle `source` of `from` to `to` at `dest`; both rectangles
// have been checked.
void CopyRect(const Surface8& from, const RECT& source, Surface8& to, POINT dest) {
    const D3DFORMAT format = from.Description().format;
    const UINT width = static_cast<UINT>(source.right - source.left);
    const UINT rows = PixelFormat::Rows(format, static_cast<UINT>(source.bottom - source.top));
    const FormatInfo& info = *PixelFormat::Find(format);
    const UINT rowBytes = info.blockBytes ? std::max(1u, (width + 3) / 4) * info.blockBytes
                                          : width * info.bytesPerPixel;
    const UINT step = info.blockBytes ? 4 : 1;  // pixel rows per storage row
    for (UINT row = 0; row < rows; ++row) {
        const uint8_t* in = from.PixelAt(static_cast<UINT>(source.left),
                                         static_cast<UINT>(source.top) + row * step);
        uint8_t* out =
            to.PixelAt(static_cast<UINT>(dest.x), static_cast<UINT>(dest.y) + row * step);
        std::memcpy(out, in, rowBytes);
    }
}

}  // namespace

HRESULT Device8::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                               D3DPOOL pool, IDirect3DTexture8** texture) {
    ORV_CALL("IDirect3DDevice8::CreateTexture", J(width), J(height), J(levels), J(usage), J(format),
             J(pool), J(texture));
    if (!texture) return scope.Finish(D3DERR_INVALIDCALL);
    *texture = nullptr;
    const AdapterConfig& config = Runtime::Get().AdapterOf(m_Adapter);
    const bool depth = (usage & D3DUSAGE_DEPTHSTENCIL) != 0;
    const bool formatOffered =
        depth ? Contains(config.depthFormats, format) : Contains(config.textureFormats, format);
    const UINT fullChain = Texture8::FullChainLength(width, height);
    if (width == 0 || height == 0 || width > config.maxTextureWidth ||
        height > config.maxTextureHeight || !formatOffered || !ValidPoolAndUsage(pool, usage) ||
        levels > fullChain || !SizeAllowedByCaps(config.textureCaps, width, height, levels))
        return scope.Finish(D3DERR_INVALIDCALL);
    if ((usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) && pool != D3DPOOL_DEFAULT)
        return scope.Finish(D3DERR_INVALIDCALL);
    *texture = new Texture8(this, width, height, levels ? levels : fullChain, usage, format, pool);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                     D3DFORMAT format, D3DPOOL pool,
                                     IDirect3DVolumeTexture8** texture) {
    ORV_CALL("IDirect3DDevice8::CreateVolumeTexture", J(width), J(height), J(depth), J(levels),
             J(usage), J(format), J(pool), J(texture));
    if (texture) *texture = nullptr;
    // The caps offer no volume textures.
    return scope.Finish(D3DERR_INVALIDCALL);
}

HRESULT Device8::CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                                   D3DPOOL pool, IDirect3DCubeTexture8** texture) {
    ORV_CALL("IDirect3DDevice8::CreateCubeTexture", J(edgeLength), J(levels), J(usage), J(format),
             J(pool), J(texture));
    if (texture) *texture = nullptr;
    // The caps offer no cube textures.
    return scope.Finish(D3DERR_INVALIDCALL);
}

HRESULT Device8::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                    IDirect3DVertexBuffer8** buffer) {
    ORV_CALL("IDirect3DDevice8::CreateVertexBuffer", J(length), J(usage), J(fvf), J(pool),
             J(buffer));
    if (!buffer) return scope.Finish(D3DERR_INVALIDCALL);
    *buffer = nullptr;
    if (length == 0 || !ValidPoolAndUsage(pool, usage)) return scope.Finish(D3DERR_INVALIDCALL);
    // A buffer with a vertex format must hold at least one vertex.
    if (fvf != 0) {
        VertexFormat format(fvf);
        if (!format.Valid() || length < format.Size()) return scope.Finish(D3DERR_INVALIDCALL);
    }
    *buffer = new VertexBuffer8(this, length, usage, fvf, pool);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                   IDirect3DIndexBuffer8** buffer) {
    ORV_CALL("IDirect3DDevice8::CreateIndexBuffer", J(length), J(usage), J(format), J(pool),
             J(buffer));
    if (!buffer) return scope.Finish(D3DERR_INVALIDCALL);
    *buffer = nullptr;
    if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) ||
        !ValidPoolAndUsage(pool, usage))
        return scope.Finish(D3DERR_INVALIDCALL);
    *buffer = new IndexBuffer8(this, length, usage, format, pool);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                    D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                                    IDirect3DSurface8** surface) {
    ORV_CALL("IDirect3DDevice8::CreateRenderTarget", J(width), J(height), J(format), J(multiSample),
             J(lockable), J(surface));
    if (!surface) return scope.Finish(D3DERR_INVALIDCALL);
    *surface = nullptr;
    if (width == 0 || height == 0 || !PixelFormat::IsDisplayable(format) ||
        multiSample != D3DMULTISAMPLE_NONE)
        return scope.Finish(D3DERR_INVALIDCALL);
    Surface8::Desc desc = {width,           height,           format, D3DUSAGE_RENDERTARGET,
                           D3DPOOL_DEFAULT, lockable != FALSE};
    *surface = new Surface8(this, desc);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                           D3DMULTISAMPLE_TYPE multiSample,
                                           IDirect3DSurface8** surface) {
    ORV_CALL("IDirect3DDevice8::CreateDepthStencilSurface", J(width), J(height), J(format),
             J(multiSample), J(surface));
    if (!surface) return scope.Finish(D3DERR_INVALIDCALL);
    *surface = nullptr;
    const AdapterConfig& config = Runtime::Get().AdapterOf(m_Adapter);
    if (width == 0 || height == 0 || !Contains(config.depthFormats, format) ||
        multiSample != D3DMULTISAMPLE_NONE)
        return scope.Finish(D3DERR_INVALIDCALL);
    Surface8::Desc desc = {width,           height,
                           format,          D3DUSAGE_DEPTHSTENCIL,
                           D3DPOOL_DEFAULT, format == D3DFMT_D16_LOCKABLE};
    *surface = new Surface8(this, desc);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                    IDirect3DSurface8** surface) {
    ORV_CALL("IDirect3DDevice8::CreateImageSurface", J(width), J(height), J(format), J(surface));
    if (!surface) return scope.Finish(D3DERR_INVALIDCALL);
    *surface = nullptr;
    if (width == 0 || height == 0 || !PixelFormat::IsKnown(format) || PixelFormat::IsDepth(format))
        return scope.Finish(D3DERR_INVALIDCALL);
    Surface8::Desc desc = {width, height, format, 0, D3DPOOL_SYSTEMMEM, true};
    *surface = new Surface8(this, desc);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::CopyRects(IDirect3DSurface8* sourceSurface, const RECT* sourceRects,
                           UINT rectCount, IDirect3DSurface8* destSurface,
                           const POINT* destPoints) {
    ORV_CALL("IDirect3DDevice8::CopyRects", J(sourceSurface), J(sourceRects), J(rectCount),
             J(destSurface), J(destPoints));
    if (!sourceSurface || !destSurface || sourceSurface == destSurface)
        return scope.Finish(D3DERR_INVALIDCALL);
    const Surface8& from = *static_cast<Surface8*>(sourceSurface);
    Surface8& to = *static_cast<Surface8*>(destSurface);
    const D3DFORMAT format = from.Description().format;
    if (format != to.Description().format || PixelFormat::IsDepth(format) || from.Locked() ||
        to.Locked())
        return scope.Finish(D3DERR_INVALIDCALL);

    const RECT whole = {0, 0, static_cast<LONG>(from.Description().width),
                        static_cast<LONG>(from.Description().height)};
    const UINT count = sourceRects ? rectCount : 1;
    // Check every rectangle before copying any.
    for (int pass = 0; pass < 2; ++pass)
        for (UINT i = 0; i < count; ++i) {
            const RECT& source = sourceRects ? sourceRects[i] : whole;
            const POINT dest = destPoints ? destPoints[i] : POINT{source.left, source.top};
            const RECT target = {dest.x, dest.y, dest.x + (source.right - source.left),
                                 dest.y + (source.bottom - source.top)};
            if (pass == 0 && (!from.ValidRect(source) || !to.ValidRect(target)))
                return scope.Finish(D3DERR_INVALIDCALL);
            if (pass == 1) CopyRect(from, source, to, dest);
        }
    return scope.Finish(D3D_OK);
}

HRESULT Device8::UpdateTexture(IDirect3DBaseTexture8* sourceTexture,
                               IDirect3DBaseTexture8* destTexture) {
    ORV_CALL("IDirect3DDevice8::UpdateTexture", J(sourceTexture), J(destTexture));
    if (!sourceTexture || !destTexture) return scope.Finish(D3DERR_INVALIDCALL);
    const Texture8& from = *static_cast<Texture8*>(sourceTexture);
    Texture8& to = *static_cast<Texture8*>(destTexture);
    if (from.Pool() != D3DPOOL_SYSTEMMEM || to.Pool() != D3DPOOL_DEFAULT ||
        from.Format() != to.Format())
        return scope.Finish(D3DERR_INVALIDCALL);
    // The source may have larger levels on top; the rest must line up.
    const Surface8::Desc& top = to.Level(0)->Description();
    UINT first = 0;
    while (first < from.LevelCount() && (from.Level(first)->Description().width != top.width ||
                                         from.Level(first)->Description().height != top.height))
        ++first;
    if (first == from.LevelCount() || from.LevelCount() - first < to.LevelCount())
        return scope.Finish(D3DERR_INVALIDCALL);
    for (UINT level = 0; level < to.LevelCount(); ++level) {
        const Surface8& in = *from.Level(first + level);
        Surface8& out = *to.Level(level);
        std::memcpy(out.Bits(), in.Bits(), out.SurfaceDesc().Size);
    }
    return scope.Finish(D3D_OK);
}

}  // namespace orvd3d8
