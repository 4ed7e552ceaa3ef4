// Loading ZAR texture files: DXT frames straight to a device that samples
// them, decoded in software for one that does not, and uncompressed frames
// converted from their stored byte layout into the nearest supported format.
#include <cstring>
#include <memory>
#include <new>

#include "d3dx/BlockCodec.h"
#include "host/File.h"
#include "host/FileSystem.h"
#include "host/Kernel.h"
#include "plugin/D3DDriver.h"
#include "texture/D3DTexture.h"
#include "texture/PixelFormats.h"
#include "texture/ZarFormat.h"

namespace {

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

}  // namespace

int D3DTexture::FinishZarFrame(File* file, unsigned frame, uint64_t skip) {
    if (int result = UpdateFrame(frame, false)) return result;
    // The stored smaller levels are not used. Past the last frame they may
    // be missing; before another frame its own read finds a short file.
    if (skip) file->Seek(static_cast<long>(skip), File::FromCurrent);
    return 0;
}

int D3DTexture::ReadZarBlocks(File* file, unsigned frame) {
    IDirect3DTexture8* target = m_Frames[frame];
    D3DLOCKED_RECT locked;
    HRESULT hr = target->LockRect(0, &locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    uint8_t* destination = static_cast<uint8_t*>(locked.pBits);
    bool complete = locked.Pitch >= static_cast<INT>(m_Pitch);
    if (complete && locked.Pitch == static_cast<INT>(m_Pitch)) {
        complete = ReadExactly(file, destination, static_cast<uint64_t>(m_Pitch) * m_RowCount);
    } else {
        for (unsigned row = 0; complete && row < m_RowCount; ++row)
            complete = ReadExactly(file, destination + static_cast<size_t>(row) * locked.Pitch, m_Pitch);
    }
    target->UnlockRect(0);
    return complete ? 0 : -1;
}

int D3DTexture::LoadZAR(const char* fileName, bool prefer32Bit, bool, bool keepCopy) {
    if (!fileName || !Device() || !m_pKernel || !m_pKernel->m_pFileSystem) return -1;
    ZarInput file(m_pKernel->m_pFileSystem->OpenReading(fileName));
    if (!file) return -1;
    const uint64_t fileSize = file->GetSize();
    uint8_t bytes[zar::kHeaderSize];
    if (fileSize < zar::kHeaderSize || !ReadExactly(file.get(), bytes, sizeof bytes)) return -1;

    auto fail = [this](int result) {
        ReleaseResources();
        return result;
    };

    const zar::Header header = zar::ParseHeader(bytes);
    if (!zar::HasMagic(bytes)) return -2;
    if (header.version != 0) return -3;
    if (header.width == 0 || header.height == 0) return -4;
    if (!IsPowerOfTwo(header.width) || !IsPowerOfTwo(header.height)) return -8;
    if (header.compression > 5) return -1;
    if ((m_pDriver->GetMaxTextureWidth() && header.width > m_pDriver->GetMaxTextureWidth()) ||
        (m_pDriver->GetMaxTextureHeight() && header.height > m_pDriver->GetMaxTextureHeight()))
        return -1;

    // Everything the frames need must be in the file: the durations, every
    // top level, and the smaller levels between frames (those after the last
    // frame are only skipped).
    const unsigned frames = header.frameCount ? header.frameCount : 1;
    const uint64_t elementSize = zar::ElementSize(header);
    uint64_t columns, rows;
    zar::TopLevelShape(header, &columns, &rows);
    const uint64_t frameBytes = columns * rows * elementSize;
    const uint64_t skip = zar::SmallerLevelsSize(header);
    const uint64_t durationBytes = header.frameCount * 2ull;
    if (frameBytes == 0 ||
        zar::kHeaderSize + durationBytes + frames * frameBytes + (frames - 1) * skip > fileSize)
        return -1;

    m_bAnimated = header.frameCount != 0;
    m_FrameCount = frames;
    m_bKeepCopy = keepCopy;
    if (m_bAnimated) {
        uint8_t stored[255 * 2];
        unsigned short durations[255];
        if (!ReadExactly(file.get(), stored, durationBytes)) return fail(-1);
        for (unsigned i = 0; i < frames; ++i) durations[i] = zar::Read16(stored + 2 * i);
        if (!SetDurations(durations, frames)) return fail(-1);
    }

    const PixelChannels classes = StoredClasses(header.channelClasses);
    const bool needAlpha = classes.alpha == 3;
    const bool compressed = header.compression != 0;
    const bool colour = (header.layoutFlags & zar::kColour) != 0;
    const D3DFORMAT dxt = DxtFormat(header.compression);

    if (compressed && IsTextureFormatSupported(dxt)) {
        SetShape(header.width, header.height, dxt);
        if (int result = CreateFrames(false)) return fail(result);
        // The blocks go straight into level 0; a copy the host asks for
        // later is read back from there.
        for (unsigned frame = 0; frame < frames; ++frame) {
            if (int result = ReadZarBlocks(file.get(), frame)) return fail(result);
            if (skip) file->Seek(static_cast<long>(skip), File::FromCurrent);
        }
        if (!m_bKeepCopy) FreeAllFrameCopies();
        return 0;
    }

    // Uncompressed formats to convert into.
    D3DFORMAT format = D3DFMT_UNKNOWN;
    if (compressed || colour) {
        PixelChannels wanted = compressed ? GetChannelClasses(dxt)
                                          : PixelChannels(classes.red, classes.green, classes.blue,
                                                          (header.layoutFlags & zar::kAlpha)
                                                              ? classes.alpha
                                                              : 0);
        format = ChooseTextureFormat(prefer32Bit, needAlpha, wanted);
        if (format == D3DFMT_UNKNOWN) format = ChooseTextureFormat(!prefer32Bit, needAlpha, wanted);
    } else {
        // Alpha or luminance only.
        const bool alpha = (header.layoutFlags & zar::kAlpha) != 0;
        const bool luminance = (header.layoutFlags & zar::kLuminance) != 0;
        if (alpha && luminance) {
            const D3DFORMAT first = prefer32Bit ? D3DFMT_A8L8 : D3DFMT_A4L4;
            const D3DFORMAT second = prefer32Bit ? D3DFMT_A4L4 : D3DFMT_A8L8;
            format = IsTextureFormatSupported(first)    ? first
                     : IsTextureFormatSupported(second) ? second
                                                        : D3DFMT_UNKNOWN;
        } else if (alpha || luminance) {
            format = alpha ? D3DFMT_A8 : D3DFMT_L8;
            if (!IsTextureFormatSupported(format)) format = D3DFMT_UNKNOWN;
        }
    }
    if (format == D3DFMT_UNKNOWN) return fail(-1);

    // One pixel per element from here on.
    m_Width = header.width;
    m_Height = header.height;
    m_Format = format;
    m_BytesPerPixel = GetFormatSize(format);
    m_BlockWidth = m_BlockHeight = 1;
    m_RowLength = m_Width;
    m_RowCount = m_Height;
    m_Pitch = m_Width * m_BytesPerPixel;
    if (int result = CreateFrames(false)) return fail(result);

    std::unique_ptr<uint8_t[]> stored(new (std::nothrow) uint8_t[frameBytes]);
    if (!stored) return fail(-1);
    const PixelPacking packing = PixelPacking::Of(format);
    const unsigned pixelSize = static_cast<unsigned>(elementSize);
    const unsigned alphaOffset = colour ? 3 : 0;
    const unsigned luminanceOffset = alphaOffset + ((header.layoutFlags & zar::kAlpha) ? 1 : 0);
    const bool storedAlpha = (header.layoutFlags & zar::kAlpha) != 0;

    for (unsigned frame = 0; frame < frames; ++frame) {
        uint8_t* copy = AllocateFrameCopy(frame, false);
        if (!copy || !ReadExactly(file.get(), stored.get(), frameBytes)) return fail(-1);
        if (compressed) {
            DecodeDxtImage(stored.get(), dxt, m_Width, m_Height, packing, m_BytesPerPixel, copy,
                           m_Pitch, BlockRounding::Nearest);
        } else {
            const uint8_t* pixel = stored.get();
            uint8_t* out = copy;
            const size_t count = static_cast<size_t>(m_Width) * m_Height;
            for (size_t i = 0; i < count; ++i, pixel += pixelSize, out += m_BytesPerPixel) {
                uint32_t value;
                if (colour) {
                    // An image stored without alpha is opaque.
                    value = packing.Pack(pixel[0], pixel[1], pixel[2],
                                         storedAlpha ? pixel[alphaOffset] : 255);
                } else {
                    const unsigned a = storedAlpha ? pixel[alphaOffset] : 255;
                    const unsigned l = (header.layoutFlags & zar::kLuminance) ? pixel[luminanceOffset] : 0;
                    switch (format) {
                    case D3DFMT_A8: value = a; break;
                    case D3DFMT_L8: value = l; break;
                    case D3DFMT_A8L8: value = l | (a << 8); break;
                    default: value = (l >> 4) | (a & 0xF0); break;  // A4L4
                    }
                }
                StorePixel(out, value, m_BytesPerPixel);
            }
        }
        if (int result = FinishZarFrame(file.get(), frame, skip)) return fail(result);
    }
    if (!m_bKeepCopy) FreeAllFrameCopies();
    return 0;
}
