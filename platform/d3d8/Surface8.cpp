#include "Surface8.h"

#include "ComSupport.h"
#include "Device8.h"
#include "Journal.h"
#include "PixelFormat.h"

namespace orvd3d8 {

Surface8::Surface8(Device8* device, const Desc& desc) : Surface8(device, desc, nullptr, nullptr) {
    StartLife();
}

Surface8::Surface8(Device8* device, const Desc& desc, LiveObject* container,
                   IUnknown* containerInterface)
    : m_Device(device),
      m_Container(container),
      m_ContainerInterface(containerInterface),
      m_Desc(desc),
      m_Pitch(PixelFormat::Pitch(desc.format, desc.width)),
      m_Size(PixelFormat::Size(desc.format, desc.width, desc.height)),
      m_Bytes(desc.zeroed ? new uint8_t[m_Size]() : new uint8_t[m_Size]) {}

void Surface8::OnFirstReference() { m_Device->AddPublic(); }

void Surface8::OnLastReference() { m_Device->ReleasePublic(); }

D3DSURFACE_DESC Surface8::SurfaceDesc() const {
    D3DSURFACE_DESC desc = {};
    desc.Format = m_Desc.format;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = m_Desc.usage;
    desc.Pool = m_Desc.pool;
    desc.Size = static_cast<UINT>(m_Size);
    desc.MultiSampleType = D3DMULTISAMPLE_NONE;
    desc.Width = m_Desc.width;
    desc.Height = m_Desc.height;
    return desc;
}

uint8_t* Surface8::PixelAt(UINT x, UINT y) {
    return const_cast<uint8_t*>(static_cast<const Surface8*>(this)->PixelAt(x, y));
}

const uint8_t* Surface8::PixelAt(UINT x, UINT y) const {
    const FormatInfo* info = PixelFormat::Find(m_Desc.format);
    if (info->blockBytes) return m_Bytes.get() + (y / 4) * m_Pitch + (x / 4) * info->blockBytes;
    return m_Bytes.get() + y * m_Pitch + x * info->bytesPerPixel;
}

uint32_t Surface8::ReadArgb(UINT x, UINT y) const {
    return PixelFormat::ToArgb(m_Desc.format, PixelAt(x, y));
}

void Surface8::WriteArgb(UINT x, UINT y, uint32_t argb) {
    PixelFormat::FromArgb(m_Desc.format, argb, PixelAt(x, y));
}

Image Surface8::ToImage() const {
    Image image;
    image.width = static_cast<int>(m_Desc.width);
    image.height = static_cast<int>(m_Desc.height);
    image.pixels.reserve(static_cast<size_t>(m_Desc.width) * m_Desc.height);
    for (UINT y = 0; y < m_Desc.height; ++y)
        for (UINT x = 0; x < m_Desc.width; ++x) image.pixels.push_back(ReadArgb(x, y));
    return image;
}

bool Surface8::ValidRect(const RECT& rect) const {
    if (rect.left < 0 || rect.top < 0 || rect.left >= rect.right || rect.top >= rect.bottom ||
        static_cast<UINT>(rect.right) > m_Desc.width ||
        static_cast<UINT>(rect.bottom) > m_Desc.height)
        return false;
    if (!PixelFormat::IsCompressed(m_Desc.format)) return true;
    auto onBlock = [](LONG edge, UINT size) {
        return edge % 4 == 0 || static_cast<UINT>(edge) == size;
    };
    return rect.left % 4 == 0 && rect.top % 4 == 0 && onBlock(rect.right, m_Desc.width) &&
           onBlock(rect.bottom, m_Desc.height);
}

HRESULT Surface8::Lock(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD) {
    if (!lockedRect) return D3DERR_INVALIDCALL;
    lockedRect->Pitch = 0;
    lockedRect->pBits = nullptr;
    if (!m_Desc.lockable || m_Locked || (rect && !ValidRect(*rect))) return D3DERR_INVALIDCALL;
    m_Locked = true;
    lockedRect->Pitch = static_cast<INT>(m_Pitch);
    lockedRect->pBits = rect ? PixelAt(static_cast<UINT>(rect->left), static_cast<UINT>(rect->top))
                             : m_Bytes.get();
    return D3D_OK;
}

HRESULT Surface8::Unlock() {
    if (!m_Locked) return D3DERR_INVALIDCALL;
    m_Locked = false;
    return D3D_OK;
}

std::string Surface8::Describe() const {
    return "IDirect3DSurface8 " + std::to_string(m_Desc.width) + "x" +
           std::to_string(m_Desc.height) + " " + PixelFormat::Name(m_Desc.format);
}

const void* Surface8::DefaultPoolDevice() const {
    return !m_Container && m_Desc.pool == D3DPOOL_DEFAULT ? m_Device : nullptr;
}

HRESULT Surface8::QueryInterface(REFIID riid, void** object) {
    return QueryAmong(this, riid, object, {&IID_IUnknown, &IID_IDirect3DSurface8});
}

ULONG Surface8::AddRef() { return m_Container ? m_Container->AddPublic() : AddPublic(); }

ULONG Surface8::Release() { return m_Container ? m_Container->ReleasePublic() : ReleasePublic(); }

HRESULT Surface8::GetDevice(IDirect3DDevice8** device) {
    ORV_CALL("IDirect3DSurface8::GetDevice", J(device));
    if (!device) return scope.Finish(D3DERR_INVALIDCALL);
    m_Device->AddRef();
    *device = m_Device;
    return scope.Finish(D3D_OK);
}

HRESULT Surface8::SetPrivateData(REFGUID guid, const void* data, DWORD sizeOfData, DWORD flags) {
    ORV_CALL("IDirect3DSurface8::SetPrivateData", J(&guid), J(data), J(sizeOfData), J(flags));
    return scope.Finish(m_PrivateData.Set(guid, data, sizeOfData, flags));
}

HRESULT Surface8::GetPrivateData(REFGUID guid, void* data, DWORD* sizeOfData) {
    ORV_CALL("IDirect3DSurface8::GetPrivateData", J(&guid), J(data), J(sizeOfData));
    return scope.Finish(m_PrivateData.Get(guid, data, sizeOfData));
}

HRESULT Surface8::FreePrivateData(REFGUID guid) {
    ORV_CALL("IDirect3DSurface8::FreePrivateData", J(&guid));
    return scope.Finish(m_PrivateData.Free(guid));
}

HRESULT Surface8::GetContainer(REFIID riid, void** container) {
    ORV_CALL("IDirect3DSurface8::GetContainer", J(&riid), J(container));
    if (!container) return scope.Finish(D3DERR_INVALIDCALL);
    IUnknown* owner = m_ContainerInterface ? m_ContainerInterface : m_Device;
    return scope.Finish(owner->QueryInterface(riid, container));
}

HRESULT Surface8::GetDesc(D3DSURFACE_DESC* desc) {
    ORV_CALL("IDirect3DSurface8::GetDesc", J(desc));
    if (!desc) return scope.Finish(D3DERR_INVALIDCALL);
    *desc = SurfaceDesc();
    return scope.Finish(D3D_OK);
}

HRESULT Surface8::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    ORV_CALL("IDirect3DSurface8::LockRect", J(lockedRect), J(rect), J(flags));
    return scope.Finish(Lock(lockedRect, rect, flags));
}

HRESULT Surface8::UnlockRect() {
    ORV_CALL("IDirect3DSurface8::UnlockRect");
    return scope.Finish(Unlock());
}

}  // namespace orvd3d8
