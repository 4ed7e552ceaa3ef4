// Loading ZAR texture files: DXT frames straight to a device that samples
// them, decoded in software for one that does not, and uncompressed frames
// converted from their stored byte layout into the nearest supported format.
#include <cstring>
#include <memory>
#include <new>

#include "host/File.h"
#include "host/Kernel.h"
#include "hostinput/HostInput.h"
#include "pixels/BlockCodec.h"
#include "pixels/LittleEndian.h"
#include "pixels/PixelLayout.h"
#include "pixels/RowCopy.h"
#include "plugin/D3DDriver.h"
#include "texture/D3DTexture.h"
#include "texture/PixelFormats.h"
#include "texture/ZarFormat.h"

namespace {

// What LoadZAR answers, besides a Direct3D result passed on.
enum ZarResult : int {
    kZarLoaded = 0,
    kZarRefused = -1,          // unreadable, cut short, too large, or no usable format
    kZarNotZar = -2,           // the magic is not "ZAR"
    kZarUnknownVersion = -3,
    kZarEmpty = -4,            // width or height 0
    kZarNotPowerOfTwo = -8,
};

// frameCount is one byte.
constexpr unsigned kMaxZarFrames = 255;

// Closes the file on every way out.
struct FileCloser {
    void operator()(File* file) const { file->Close(); }
};
using ZarInput = std::unique_ptr<File, FileCloser>;

bool ReadExactly(File* file, void* buffer, uint64_t count) {
    return file->Read(buffer, static_cast<unsigned long>(count)) == count;
}

// Class codes of the stored channels: two bits each.
PixelChannels StoredClasses(uint16_t channelClasses) {
    return PixelChannels(channelClasses & 3, (channelClasses >> 2) & 3,
                         (channelClasses >> 4) & 3, (channelClasses >> 6) & 3);
}

// Converts `count` stored uncompressed pixels of `pixelSize` bytes into
// pixels of `format` (bytesPerPixel each, packed with `packing`).
void ConvertStoredPixels(const uint8_t* pixel, uint16_t layoutFlags, unsigned pixelSize,
                         size_t count, D3DFORMAT format, const PixelPacking& packing,
                         unsigned bytesPerPixel, uint8_t* out) {
    const bool colour = (layoutFlags & zar::kColour) != 0;
    const bool storedAlpha = (layoutFlags & zar::kAlpha) != 0;
    const unsigned alphaOffset = colour ? 3 : 0;
    const unsigned luminanceOffset = alphaOffset + (storedAlpha ? 1 : 0);
    for (size_t i = 0; i < count; ++i, pixel += pixelSize, out += bytesPerPixel) {
        uint32_t value;
        if (colour) {
            // An image stored without alpha is opaque.
            value = packing.Pack(pixel[0], pixel[1], pixel[2], storedAlpha ? pixel[alphaOffset] : 255);
        } else {
            const unsigned a = storedAlpha ? pixel[alphaOffset] : 255;
            const unsigned l = (layoutFlags & zar::kLuminance) ? pixel[luminanceOffset] : 0;
            switch (format) {
            case D3DFMT_A8: value = a; break;
            case D3DFMT_L8: value = l; break;
            case D3DFMT_A8L8: value = l | (a << 8); break;
            default: value = (l >> 4) | (a & 0xF0); break;  // A4L4
            }
        }
        StoreBytes(out, value, bytesPerPixel);
    }
}

}  // namespace

struct D3DTexture::ZarLayout {
    zar::Header header;
    unsigned frames = 0;                        // 1 for a file that is not animated
    unsigned short durations[kMaxZarFrames] = {};  // of an animated file
    uint64_t frameBytes = 0;                    // one frame's top level
    uint64_t skip = 0;                          // the smaller levels stored after it
};

namespace {

// The stored smaller levels are not used: skipped before the next frame
// (whose own read finds a short file), never looked for after the last one,
// where they may be missing.
void SkipToNextFrame(File* file, uint64_t skip, bool lastFrame) {
    if (skip && !lastFrame) file->Seek(static_cast<long>(skip), File::FromCurrent);
}

}  // namespace

int D3DTexture::ReadZarHeader(File* file, ZarLayout* layout) const {
    const uint64_t fileSize = file->GetSize();
    uint8_t bytes[zar::kHeaderSize];
    if (fileSize < zar::kHeaderSize || !ReadExactly(file, bytes, sizeof bytes)) return kZarRefused;

    const zar::Header header = zar::ParseHeader(bytes);
    if (!zar::HasMagic(bytes)) return kZarNotZar;
    if (header.version != 0) return kZarUnknownVersion;
    if (header.width == 0 || header.height == 0) return kZarEmpty;
    const SizeCheck size = CheckSize(header.width, header.height);
    if (size == SizeCheck::NotPowerOfTwo) return kZarNotPowerOfTwo;
    if (header.compression > kDxtFormatCount || size == SizeCheck::TooLarge) return kZarRefused;

    // Everything the frames need must be in the file: the durations, every
    // top level, and the smaller levels between frames (those after the last
    // frame are only skipped).
    const unsigned frames = header.frameCount ? header.frameCount : 1;
    uint64_t columns, rows;
    zar::TopLevelShape(header, &columns, &rows);
    const uint64_t frameBytes = columns * rows * zar::ElementSize(header);
    const uint64_t skip = zar::SmallerLevelsSize(header);
    const uint64_t durationBytes = header.frameCount * 2ull;
    if (frameBytes == 0 ||
        zar::kHeaderSize + durationBytes + frames * frameBytes + (frames - 1) * skip > fileSize)
        return kZarRefused;

    layout->header = header;
    layout->frames = frames;
    layout->frameBytes = frameBytes;
    layout->skip = skip;
    if (header.frameCount) {
        uint8_t stored[kMaxZarFrames * 2];
        if (!ReadExactly(file, stored, durationBytes)) return kZarRefused;
        for (unsigned i = 0; i < frames; ++i) layout->durations[i] = Load16(stored + 2 * i);
    }
    return kZarLoaded;
}

D3DFORMAT D3DTexture::ChooseZarFormat(const ZarLayout& layout, bool prefer32Bit) {
    const zar::Header& header = layout.header;
    const bool compressed = header.compression != 0;
    const D3DFORMAT dxt = DxtFormat(header.compression);
    // The file's own blocks when the device samples them.
    if (compressed && IsTextureFormatSupported(dxt)) return dxt;

    const PixelChannels classes = StoredClasses(header.channelClasses);
    const bool alpha = (header.layoutFlags & zar::kAlpha) != 0;
    if (compressed || (header.layoutFlags & zar::kColour)) {
        const PixelChannels wanted =
            compressed ? GetChannelClasses(dxt)
                       : PixelChannels(classes.red, classes.green, classes.blue, alpha ? classes.alpha : 0);
        return ChooseFormatAtEitherDepth(prefer32Bit, classes.alpha == 3, wanted);
    }
    // Alpha or luminance only.
    const bool luminance = (header.layoutFlags & zar::kLuminance) != 0;
    if (alpha && luminance) {
        const D3DFORMAT first = prefer32Bit ? D3DFMT_A8L8 : D3DFMT_A4L4;
        const D3DFORMAT second = prefer32Bit ? D3DFMT_A4L4 : D3DFMT_A8L8;
        return IsTextureFormatSupported(first)    ? first
               : IsTextureFormatSupported(second) ? second
                                                  : D3DFMT_UNKNOWN;
    }
    if (alpha || luminance) {
        const D3DFORMAT format = alpha ? D3DFMT_A8 : D3DFMT_L8;
        return IsTextureFormatSupported(format) ? format : D3DFMT_UNKNOWN;
    }
    return D3DFMT_UNKNOWN;
}

int D3DTexture::ReadZarBlocks(File* file, const ZarLayout& layout) {
    // The blocks go straight into level 0; a copy the host asks for later is
    // read back from there.
    for (size_t index = 0; index < m_Frames.size(); ++index) {
        IDirect3DTexture8* target = m_Frames[index].texture.get();
        D3DLOCKED_RECT locked;
        HRESULT hr = target->LockRect(0, &locked, nullptr, 0);
        if (FAILED(hr)) return hr;
        uint8_t* destination = static_cast<uint8_t*>(locked.pBits);
        // A locked row narrower than a stored one cannot take it.
        const bool complete =
            locked.Pitch >= static_cast<INT>(m_Pitch) &&
            MoveRows(LockedPitch(locked), m_Pitch, m_Pitch, m_RowCount,
                     [&](size_t toOffset, size_t, size_t bytes) {
                         return ReadExactly(file, destination + toOffset, bytes);
                     });
        target->UnlockRect(0);
        if (!complete) return kZarRefused;
        SkipToNextFrame(file, layout.skip, index + 1 == m_Frames.size());
    }
    return kZarLoaded;
}

int D3DTexture::ConvertZarFrames(File* file, const ZarLayout& layout) {
    const zar::Header& header = layout.header;
    std::unique_ptr<uint8_t[]> stored(new (std::nothrow) uint8_t[layout.frameBytes]);
    if (!stored) return kZarRefused;
    const PixelPacking packing = PixelPacking::Of(m_Format);
    const D3DFORMAT dxt = DxtFormat(header.compression);
    for (unsigned frame = 0; frame < FrameCount(); ++frame) {
        uint8_t* copy = AllocateFrameCopy(frame, false);
        if (!copy || !ReadExactly(file, stored.get(), layout.frameBytes)) return kZarRefused;
        if (header.compression != 0)
            DecodeDxtImage(dxt, stored.get(), m_Width, m_Height, packing, m_BytesPerPixel, copy,
                           m_Pitch, BlockRounding::Nearest);
        else
            ConvertStoredPixels(stored.get(), header.layoutFlags, zar::ZarPixelSize(header.layoutFlags),
                                static_cast<size_t>(m_Width) * m_Height, m_Format, packing,
                                m_BytesPerPixel, copy);
        if (int result = UpdateFrame(frame, false)) return result;
        SkipToNextFrame(file, layout.skip, frame + 1 == FrameCount());
    }
    return kZarLoaded;
}

int D3DTexture::LoadZAR(const char* fileName, bool prefer32Bit, bool, bool keepCopy) {
    if (!fileName || !Device() || !m_pKernel || !m_pKernel->m_pFileSystem) return kZarRefused;
    ZarInput file(HostInput::Current().OpenReading(m_pKernel, fileName));
    if (!file) return kZarRefused;
    ZarLayout layout;
    if (int result = ReadZarHeader(file.get(), &layout)) return result;

    auto fail = [this](int result) {
        ReleaseResources();
        return result;
    };
    m_bKeepCopy = keepCopy;
    if (!SetFrameCount(layout.frames)) return fail(kZarRefused);
    if (layout.header.frameCount && !SetDurations(layout.durations, layout.frames))
        return fail(kZarRefused);

    // A DXT format holds the file's blocks as they are; any other one pixel
    // per element, converted.
    const D3DFORMAT format = ChooseZarFormat(layout, prefer32Bit);
    if (format == D3DFMT_UNKNOWN) return fail(kZarRefused);
    SetShape(layout.header.width, layout.header.height, format);
    if (int result = CreateFrames(false)) return fail(result);
    const int result = BlockBytesOf(format) != 0 ? ReadZarBlocks(file.get(), layout)
                                           : ConvertZarFrames(file.get(), layout);
    if (result != kZarLoaded) return fail(result);
    if (!m_bKeepCopy) FreeAllFrameCopies();
    return kZarLoaded;
}
