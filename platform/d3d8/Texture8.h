// IDirect3DTexture8: a chain of mip levels, each a surface of its own size that
// shares the texture's reference count.
#pragma once

#include <memory>
#include <vector>

#include "Resource8.h"
#include "Surface8.h"

namespace orvd3d8 {

class Texture8 final : public Resource8<IDirect3DTexture8> {
public:
    // `levels` has been resolved (no 0 for a full chain); the texture starts
    // with one reference.
    Texture8(Device8* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
             D3DPOOL pool);

    static UINT FullChainLength(UINT width, UINT height);

    UINT LevelCount() const { return static_cast<UINT>(m_Levels.size()); }
    Surface8* Level(UINT level) const { return m_Levels[level].get(); }
    D3DFORMAT Format() const { return m_Format; }
    std::string Describe() const override;

    // ---- IUnknown ----------------------------------------------------------
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;

    // ---- IDirect3DBaseTexture8 -----------------------------------------------
    DWORD STDMETHODCALLTYPE SetLOD(DWORD lod) override;
    DWORD STDMETHODCALLTYPE GetLOD() override;
    DWORD STDMETHODCALLTYPE GetLevelCount() override;

    // ---- IDirect3DTexture8 ------------------------------------------------------
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                       DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;
    HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT* dirtyRect) override;

private:
    D3DFORMAT m_Format;
    DWORD m_Lod = 0;
    std::vector<std::unique_ptr<Surface8>> m_Levels;
};

}  // namespace orvd3d8
