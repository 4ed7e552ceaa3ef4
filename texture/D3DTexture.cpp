// Texture objects: creation of empty frames, system copies and uploads,
// single pixels, reference counts, the format choice on the driver's device,
// and the two halves of a device reset.
#include "texture/D3DTexture.h"

#include <d3dx8.h>

#include <cstring>
#include <new>

#include "device/DriverServices.h"
#include "host/Kernel.h"
#include "pixels/BlockCodec.h"
#include "pixels/LevelLock.h"
#include "pixels/LittleEndian.h"
#include "pixels/PixelLayout.h"
#include "pixels/PixelPacking.h"
#include "pixels/RowCopy.h"
#include "texture/PixelFormats.h"
#include "texture/SupportedTextureFormats.h"
#include "texture/TextureFileType.h"

D3DTexture::D3DTexture(Kernel* kernel, DriverServices* driver)
    : m_Width(0),
      m_RowLength(0),
      m_RowCount(0),
      m_BlockWidth(1),
      m_BlockHeight(1),
      m_Height(0),
      m_BytesPerPixel(0),
      m_Pitch(0),
      m_Format(D3DFMT_UNKNOWN),
      m_TotalDuration(0),
      m_pKernel(kernel),
      m_pDriver(driver),
      m_bMipmaps(false),
      m_bKeepCopy(false),
      m_RefCount(0),
      m_Origin(Origin::None),
      m_FramesPerSecond(0),
      m_bResetMipmaps(false) {}

D3DTexture::~D3DTexture() {
    ReleaseResources();
    m_pKernel = nullptr;
    m_pDriver = nullptr;
}

IDirect3DDevice8* D3DTexture::Device() const {
    return m_pDriver ? m_pDriver->GetDevice() : nullptr;
}

// ---- Creation ---------------------------------------------------------------

int D3DTexture::Create(unsigned width, unsigned height, bool mipmaps, unsigned frameCount,
                       const unsigned short* frameDurations, bool prefer32Bit, bool keepCopy,
                       PixelChannels wanted) {
    ReleaseResources();
    if (!Device() || frameCount > kMostFrames) return -1;
    // Larger than the device allows: the device would refuse the frames, so
    // their copies are not allocated first.
    if (CheckSize(width, height) != SizeCheck::Fits) return -1;
    if (!wanted.IsValid()) return -1;

    const D3DFORMAT format = ChooseFormatAtEitherDepth(prefer32Bit, wanted.alpha != 0, wanted);
    if (format == D3DFMT_UNKNOWN) return -1;

    m_bKeepCopy = keepCopy;
    const bool animated = frameCount != 0;
    m_bMipmaps = mipmaps;
    if (!SetFrameCount(animated ? frameCount : 1)) {
        ReleaseResources();
        return -1;
    }
    SetShape(width, height, format);

    EnsureAllFrameCopies();
    for (const Frame& frame : m_Frames) {
        if (!frame.copy) {
            ReleaseResources();
            return -1;
        }
    }
    if (animated && !SetDurations(frameDurations, frameCount)) {
        ReleaseResources();
        return -1;
    }
    const int result = CreateFrames(true);
    if (result != 0) {
        ReleaseResources();
        return result;
    }
    m_Origin = Origin::Created;
    return 0;
}

D3DTexture::SizeCheck D3DTexture::CheckSize(unsigned width, unsigned height) const {
    if (!IsPowerOfTwo(width) || !IsPowerOfTwo(height)) return SizeCheck::NotPowerOfTwo;
    const unsigned maxWidth = m_pDriver ? m_pDriver->GetMaxTextureWidth() : 0;
    const unsigned maxHeight = m_pDriver ? m_pDriver->GetMaxTextureHeight() : 0;
    // A limit of 0 is one the device did not tell.
    if ((maxWidth && width > maxWidth) || (maxHeight && height > maxHeight))
        return SizeCheck::TooLarge;
    return SizeCheck::Fits;
}

D3DFORMAT D3DTexture::ChooseFormatAtEitherDepth(bool prefer32Bit, bool needAlpha,
                                                PixelChannels wanted) {
    const D3DFORMAT format = ChooseTextureFormat(prefer32Bit, needAlpha, wanted);
    if (format != D3DFMT_UNKNOWN) return format;
    return ChooseTextureFormat(!prefer32Bit, needAlpha, wanted);
}

bool D3DTexture::SetFrameCount(unsigned count) {
    ReleaseFrames();
    m_Frames.clear();
    try {
        m_Frames.resize(count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

int D3DTexture::CreateFrames(bool logFormat) {
    IDirect3DDevice8* device = Device();
    if (!device || m_Frames.empty()) return -1;
    ReleaseFrames();
    const UINT levels = m_bMipmaps ? 0 : 1;
    for (Frame& frame : m_Frames) {
        IDirect3DTexture8* texture = nullptr;
        HRESULT hr = device->CreateTexture(m_Width, m_Height, levels, 0, m_Format,
                                           D3DPOOL_MANAGED, &texture);
        if (FAILED(hr)) return hr;
        frame.texture.reset(texture);
        if (logFormat) {
            D3DSURFACE_DESC desc;
            if (SUCCEEDED(texture->GetLevelDesc(0, &desc))) m_Format = desc.Format;
            m_pKernel->LogMessage("TEXTUREFORMAT: %d", static_cast<int>(m_Format));
        }
    }
    return 0;
}

void D3DTexture::ReleaseFrames() {
    for (Frame& frame : m_Frames) frame.texture.reset();
}

void D3DTexture::SetShape(unsigned width, unsigned height, D3DFORMAT format) {
    m_Width = width;
    m_Height = height;
    m_Format = format;
    m_BytesPerPixel = GetFormatSize(format);
    const bool blocks = BlockBytesOf(format) != 0;
    m_BlockWidth = m_BlockHeight = blocks ? kBlockSide : 1;
    m_RowLength = blocks ? static_cast<unsigned>(BlocksAcross(width)) : width;
    m_RowCount = blocks ? static_cast<unsigned>(BlocksAcross(height)) : height;
    m_Pitch = m_RowLength * m_BytesPerPixel;
}

bool D3DTexture::SetDurations(const unsigned short* durations, unsigned frameCount,
                              unsigned short uniform) {
    m_TotalDuration = 0;
    try {
        if (durations)
            m_FrameDurations.assign(durations, durations + frameCount);
        else
            m_FrameDurations.assign(frameCount, uniform);
    } catch (const std::bad_alloc&) {
        m_FrameDurations.clear();
        return false;
    }
    for (unsigned short duration : m_FrameDurations) m_TotalDuration += duration;
    return true;
}

void D3DTexture::ReleaseResources() {
    ReleaseFrames();
    m_Frames.clear();
    m_FrameDurations.clear();
    m_TotalDuration = 0;
    m_Animation = AnimationState();
    m_bKeepCopy = false;
    m_bMipmaps = false;
    SetShape(0, 0, D3DFMT_UNKNOWN);
}

// ---- System copies ----------------------------------------------------------

void D3DTexture::EnsureFrameCopy(unsigned frame) {
    // A texture that keeps its copies but has none for a frame was loaded
    // straight into the device: its copy is read back from level 0.
    if (m_bKeepCopy && frame < FrameCount() && !m_Frames[frame].copy &&
        m_Frames[frame].texture && ReadBackFrame(frame) == 0)
        return;
    AllocateFrameCopy(frame, true);
}

uint8_t* D3DTexture::AllocateFrameCopy(unsigned frame, bool zeroed) {
    if (frame >= FrameCount()) return nullptr;
    std::unique_ptr<uint8_t[]>& copy = m_Frames[frame].copy;
    if (!copy) {
        const size_t bytes = static_cast<size_t>(m_RowCount) * m_Pitch;
        copy.reset(zeroed ? new (std::nothrow) uint8_t[bytes]() : new (std::nothrow) uint8_t[bytes]);
    }
    return copy.get();
}

void D3DTexture::EnsureAllFrameCopies() {
    for (unsigned frame = 0; frame < FrameCount(); ++frame) EnsureFrameCopy(frame);
}

void D3DTexture::FreeFrameCopy(unsigned frame) {
    if (frame < FrameCount()) m_Frames[frame].copy.reset();
}

void D3DTexture::FreeAllFrameCopies() {
    for (Frame& frame : m_Frames) frame.copy.reset();
}

void* D3DTexture::GetFrameData(unsigned frame) {
    if (frame >= FrameCount()) return nullptr;
    EnsureFrameCopy(frame);
    return m_Frames[frame].copy.get();
}

void* D3DTexture::GetData() {
    if (IsAnimated() || m_Frames.empty()) return nullptr;
    EnsureAllFrameCopies();
    return m_Frames[0].copy.get();
}

// ---- Uploads ----------------------------------------------------------------

int D3DTexture::UploadRows(unsigned frame, const RECT* area, size_t offset, size_t rowBytes,
                           unsigned rows, bool keepCopy) {
    IDirect3DTexture8* target = m_Frames[frame].texture.get();
    {
        LevelLock lock(target, 0, 0, area);
        if (FAILED(lock.Result())) return lock.Result();
        CopyRows(lock.Bits(), lock.Pitch(), m_Frames[frame].copy.get() + offset, m_Pitch, rowBytes, rows);
    }
    if (m_bMipmaps) D3DXFilterTexture(target, nullptr, 0, D3DX_DEFAULT);
    if (!keepCopy && !m_bKeepCopy) FreeFrameCopy(frame);
    return 0;
}

int D3DTexture::UpdateFrame(unsigned frame, bool keepCopy) {
    if (frame >= FrameCount() || !m_Frames[frame].copy || !m_Frames[frame].texture) return -1;
    return UploadRows(frame, nullptr, 0, m_Pitch, m_RowCount, keepCopy);
}

int D3DTexture::UpdateRect(unsigned frame, int left, int top, int right, int bottom,
                           bool keepCopy) {
    if (frame >= FrameCount() || !m_Frames[frame].copy || !m_Frames[frame].texture) return -1;
    if (m_BlockWidth > 1 || m_BlockHeight > 1) return -1;
    if (left < 0 || top < 0 || left > right || top > bottom ||
        static_cast<long long>(bottom) > m_Height || static_cast<long long>(right) > m_Width)
        return -1;
    // The locked pointer addresses the rectangle's first pixel.
    const RECT area = {left, top, right, bottom};
    return UploadRows(frame, &area,
                      static_cast<size_t>(top) * m_Pitch + static_cast<size_t>(left) * m_BytesPerPixel,
                      static_cast<size_t>(right - left) * m_BytesPerPixel,
                      static_cast<unsigned>(bottom - top), keepCopy);
}

int D3DTexture::UpdateAllFrames(bool keepCopy) {
    for (unsigned frame = 0; frame < FrameCount(); ++frame)
        if (int result = UpdateFrame(frame, keepCopy)) return result;
    return 0;
}

// A block-compressed texture is refused by the one-frame form, frame 0 first.
int D3DTexture::UpdateRectAllFrames(int left, int top, int right, int bottom, bool keepCopy) {
    for (unsigned frame = 0; frame < FrameCount(); ++frame)
        if (int result = UpdateRect(frame, left, top, right, bottom, keepCopy)) return result;
    return 0;
}

int D3DTexture::UpdateRect(unsigned frame, int left, int top, int right, int bottom) {
    return UpdateRect(frame, left, top, right, bottom, false);
}

int D3DTexture::UpdateRectAllFrames(int left, int top, int right, int bottom) {
    return UpdateRectAllFrames(left, top, right, bottom, false);
}

int D3DTexture::UpdateFrame(unsigned frame) { return UpdateFrame(frame, false); }
int D3DTexture::UpdateAllFrames() { return UpdateAllFrames(false); }

int D3DTexture::ReadBackFrame(unsigned frame) {
    if (frame >= FrameCount() || !m_Frames[frame].texture) return -1;
    const bool fresh = !m_Frames[frame].copy;
    uint8_t* copy = AllocateFrameCopy(frame, false);
    if (!copy) return -1;
    LevelLock lock(m_Frames[frame].texture.get(), 0, D3DLOCK_READONLY);
    if (FAILED(lock.Result())) {
        if (fresh) FreeFrameCopy(frame);
        return lock.Result();
    }
    CopyRows(copy, m_Pitch, lock.Bits(), lock.Pitch(), m_Pitch, m_RowCount);
    return 0;
}

// ---- Pixels -----------------------------------------------------------------

bool D3DTexture::ValidPixel(unsigned x, unsigned y, unsigned frame) const {
    return frame < FrameCount() && x < m_Width && y < m_Height && m_BlockWidth == 1 &&
           m_BlockHeight == 1;
}

void D3DTexture::SetPixel(unsigned x, unsigned y, unsigned argb, unsigned frame) {
    if (!ValidPixel(x, y, frame)) return;
    uint8_t* copy = static_cast<uint8_t*>(GetFrameData(frame));
    if (!copy) return;
    uint8_t* row = copy + static_cast<size_t>(y) * m_Pitch;
    if (IsArgbMemory(m_Format)) {
        // The pixel as given, X byte included.
        Store32(row + 4 * x, argb);
        return;
    }
    switch (m_Format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_A4R4G4B4: {
        const unsigned bytes = GetFormatSize(m_Format);
        StoreBytes(row + bytes * x, PixelPacking::Of(m_Format).PackArgb(argb), bytes);
        break;
    }
    default: break;
    }
}

unsigned D3DTexture::GetPixel(unsigned x, unsigned y, unsigned frame) {
    if (!ValidPixel(x, y, frame)) return 0;
    const uint8_t* copy = static_cast<const uint8_t*>(GetFrameData(frame));
    if (!copy) return 0;
    const uint8_t* row = copy + static_cast<size_t>(y) * m_Pitch;
    if (IsArgbMemory(m_Format)) return Load32(row + 4 * x);
    switch (m_Format) {
    case D3DFMT_A4R4G4B4: return PixelPacking::Of(m_Format).UnpackArgb(Load16(row + 2 * x));
    default: return 0;
    }
}

// ---- References -------------------------------------------------------------

unsigned D3DTexture::AddRef() { return m_RefCount++; }

unsigned D3DTexture::Release() {
    if (m_RefCount > 0) --m_RefCount;
    return m_RefCount;
}

// ---- Formats ----------------------------------------------------------------

D3DFORMAT D3DTexture::ChooseTextureFormat(bool prefer32Bit, bool needAlpha,
                                          PixelChannels wanted) {
    if (!m_pDriver) return D3DFMT_UNKNOWN;
    return SupportedTextureFormats::Get().Choose(m_pDriver->GetDirect3D(), Device(), prefer32Bit,
                                                 needAlpha, wanted);
}

bool D3DTexture::IsTextureFormatSupported(D3DFORMAT format) {
    if (!m_pDriver) return false;
    return SupportedTextureFormats::Get().IsSupported(m_pDriver->GetDirect3D(), Device(), format);
}

void D3DTexture::EnumerateTextureFormats() {
    if (m_pDriver) SupportedTextureFormats::Get().Enumerate(m_pDriver->GetDirect3D(), Device());
}

// ---- Device reset -----------------------------------------------------------

void D3DTexture::ReleaseForReset() {
    m_bResetMipmaps = m_bMipmaps;
    m_ResetAnimation = m_Animation;
    // A created texture has no file to come back from: its description and
    // its system copies stay, only the Direct3D frames go.
    if (m_Origin == Origin::Created)
        ReleaseFrames();
    else
        ReleaseResources();
}

int D3DTexture::ReloadAfterReset(bool prefer32Bit) {
    const String name = m_FileName;
    int result = -1;
    switch (m_Origin) {
    case Origin::Created:
        result = CreateFrames(false);
        for (unsigned frame = 0; result == 0 && frame < FrameCount(); ++frame)
            if (m_Frames[frame].copy) result = UpdateFrame(frame, true);
        if (result != 0) ReleaseFrames();
        break;
    case Origin::File:
        result = LoadFromFile(name.c_str(), TextureFileType(name.c_str()), prefer32Bit,
                              m_bResetMipmaps, true);
        break;
    case Origin::Sequence:
        result = LoadFromFileSequence(name.c_str(), m_FramesPerSecond, prefer32Bit,
                                      m_bResetMipmaps, true);
        break;
    case Origin::None: break;
    }
    if (result != 0) return result;
    m_Animation = m_ResetAnimation;
    if (m_Animation.pausedFrame >= FrameCount()) m_Animation.pausedFrame = 0;
    return 0;
}
