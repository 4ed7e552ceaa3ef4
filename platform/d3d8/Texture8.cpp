#include "Texture8.h"

#include <algorithm>

#include "ComSupport.h"
#include "PixelFormat.h"

namespace orvd3d8 {

Texture8::Texture8(Device8* device, UINT width, UINT height, UINT levels, DWORD usage,
                   D3DFORMAT format, D3DPOOL pool)
    : Resource8(device, "IDirect3DTexture8", D3DRTYPE_TEXTURE, usage, pool), m_Format(format) {
    Surface8::Desc desc;
    desc.format = format;
    desc.usage = usage;
    desc.pool = pool;
    // Video memory is out of the application's reach unless it asked for a
    // dynamic texture.
    desc.lockable = pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC);
    desc.zeroed = pool == D3DPOOL_DEFAULT;
    for (UINT level = 0; level < levels; ++level) {
        desc.width = std::max(1u, width >> level);
        desc.height = std::max(1u, height >> level);
        m_Levels.push_back(std::make_unique<Surface8>(device, desc, this, this));
    }
    StartLife();
}

UINT Texture8::FullChainLength(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size >>= 1) ++levels;
    return levels;
}

std::string Texture8::Describe() const {
    const Surface8::Desc& top = m_Levels.front()->Description();
    return "IDirect3DTexture8 " + std::to_string(top.width) + "x" + std::to_string(top.height) +
           " " + PixelFormat::Name(m_Format);
}

HRESULT Texture8::QueryInterface(REFIID riid, void** object) {
    return QueryAmong(this, riid, object,
                      {&IID_IUnknown, &IID_IDirect3DResource8, &IID_IDirect3DBaseTexture8,
                       &IID_IDirect3DTexture8});
}

DWORD Texture8::SetLOD(DWORD lod) {
    ORV_CALL_OR(0, "IDirect3DTexture8::SetLOD", J(lod));
    DWORD previous = m_Lod;
    if (Pool() == D3DPOOL_MANAGED) m_Lod = std::min(lod, LevelCount() - 1);
    return previous;
}

DWORD Texture8::GetLOD() {
    ORV_CALL_OR(0, "IDirect3DTexture8::GetLOD");
    return m_Lod;
}

DWORD Texture8::GetLevelCount() {
    ORV_CALL_OR(0, "IDirect3DTexture8::GetLevelCount");
    return LevelCount();
}

HRESULT Texture8::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    ORV_CALL("IDirect3DTexture8::GetLevelDesc", J(level), J(desc));
    if (!desc || level >= LevelCount()) return scope.Finish(D3DERR_INVALIDCALL);
    *desc = m_Levels[level]->SurfaceDesc();
    return scope.Finish(D3D_OK);
}

HRESULT Texture8::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) {
    ORV_CALL("IDirect3DTexture8::GetSurfaceLevel", J(level), J(surface));
    if (!surface) return scope.Finish(D3DERR_INVALIDCALL);
    *surface = nullptr;
    if (level >= LevelCount()) return scope.Finish(D3DERR_INVALIDCALL);
    m_Levels[level]->AddRef();
    *surface = m_Levels[level].get();
    return scope.Finish(D3D_OK);
}

HRESULT Texture8::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    ORV_CALL("IDirect3DTexture8::LockRect", J(level), J(lockedRect), J(rect), J(flags));
    if (level >= LevelCount()) {
        if (lockedRect) *lockedRect = D3DLOCKED_RECT{0, nullptr};
        return scope.Finish(D3DERR_INVALIDCALL);
    }
    return scope.Finish(m_Levels[level]->Lock(lockedRect, rect, flags));
}

HRESULT Texture8::UnlockRect(UINT level) {
    ORV_CALL("IDirect3DTexture8::UnlockRect", J(level));
    if (level >= LevelCount()) return scope.Finish(D3DERR_INVALIDCALL);
    return scope.Finish(m_Levels[level]->Unlock());
}

HRESULT Texture8::AddDirtyRect(const RECT* dirtyRect) {
    ORV_CALL("IDirect3DTexture8::AddDirtyRect", J(dirtyRect));
    // Updates copy whole levels, so a dirty region only needs to be sound.
    if (dirtyRect && !m_Levels.front()->ValidRect(*dirtyRect))
        return scope.Finish(D3DERR_INVALIDCALL);
    return scope.Finish(D3D_OK);
}

}  // namespace orvd3d8
