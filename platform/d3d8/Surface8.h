// IDirect3DSurface8: a rectangle of pixels in memory that really locks. A
// surface either stands alone (image surfaces, render targets, depth-stencil
// surfaces: it counts its own references and keeps its device alive) or
// belongs to a container (a texture level, a device's back or depth buffer)
// whose reference count it shares.
#pragma once

#include <orv/D3D8Control.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "LiveObject.h"
#include "PrivateData.h"

namespace orvd3d8 {

class Device8;

class Surface8 final : public IDirect3DSurface8, public LiveObject {
public:
    struct Desc {
        UINT width = 0, height = 0;
        D3DFORMAT format = D3DFMT_UNKNOWN;
        DWORD usage = 0;
        D3DPOOL pool = D3DPOOL_DEFAULT;
        bool lockable = true;
        // The contents of a new managed or system-memory texture are
        // undefined: such levels start as the allocator hands them over.
        // Every other surface starts zeroed.
        bool zeroed = true;
    };

    // A stand-alone surface starting with one reference.
    Surface8(Device8* device, const Desc& desc);
    // A surface of `container` (the object and the interface GetContainer
    // answers with), owned by the container.
    Surface8(Device8* device, const Desc& desc, LiveObject* container,
             IUnknown* containerInterface);

    // ---- Runtime-side access ---------------------------------------------
    const Desc& Description() const { return m_Desc; }
    D3DSURFACE_DESC SurfaceDesc() const;
    Device8* Owner() const { return m_Device; }
    UINT Pitch() const { return m_Pitch; }
    uint8_t* Bits() { return m_Bytes.get(); }
    const uint8_t* Bits() const { return m_Bytes.get(); }
    // The first byte of pixel (x, y); for block formats, of the block holding it.
    uint8_t* PixelAt(UINT x, UINT y);
    const uint8_t* PixelAt(UINT x, UINT y) const;
    uint32_t ReadArgb(UINT x, UINT y) const;
    void WriteArgb(UINT x, UINT y, uint32_t argb);
    Image ToImage() const;
    // The lock and unlock behind LockRect/UnlockRect, without a journal entry.
    HRESULT Lock(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags);
    HRESULT Unlock();
    bool Locked() const { return m_Locked; }
    // True when `rect` lies inside the surface (and on block boundaries for
    // block formats).
    bool ValidRect(const RECT& rect) const;

    std::string Describe() const override;
    bool Counted() const override { return m_Container == nullptr; }
    const void* DefaultPoolDevice() const override;

    // ---- IUnknown ----------------------------------------------------------
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ---- IDirect3DSurface8 ----------------------------------------------------
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID guid, const void* data, DWORD sizeOfData,
                                             DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID guid, void* data, DWORD* sizeOfData) override;
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID guid) override;
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                       DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;

private:
    void OnFirstReference() override;
    void OnLastReference() override;

    Device8* m_Device;
    LiveObject* m_Container;
    IUnknown* m_ContainerInterface;
    Desc m_Desc;
    UINT m_Pitch;
    size_t m_Size;
    std::unique_ptr<uint8_t[]> m_Bytes;
    bool m_Locked = false;
    PrivateData m_PrivateData;
};

}  // namespace orvd3d8
