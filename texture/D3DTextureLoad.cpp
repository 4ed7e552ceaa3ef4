// Loading textures from image files and from numbered image sequences
// through the extension routines' image loader; ZAR files go to LoadZAR.
#include <d3dx8.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "host/File.h"
#include "host/Kernel.h"
#include "hostinput/HostInput.h"
#include "texture/D3DTexture.h"
#include "texture/TextureFileType.h"

namespace {

// Name buffers of a sequence: 199 characters and the terminator.
constexpr size_t kNameBuffer = 200;
// A sequence has at most this many frames.
constexpr unsigned kMaxSequenceFrames = 999;

}  // namespace

int D3DTexture::LoadFromFile(const char* fileName, int fileType, bool prefer32Bit, bool mipmaps,
                             bool keepCopy) {
    if (!fileName) return -1;
    const String name(fileName);  // the caller may pass this texture's own name
    ReleaseResources();
    m_FileName = name;
    const int result = fileType == kZarFileType
                           ? LoadZAR(name.c_str(), prefer32Bit, mipmaps, keepCopy)
                           : LoadImageFile(name.c_str(), keepCopy);
    if (result == 0) m_Origin = Origin::File;
    return result;
}

int D3DTexture::LoadImageFrame(const char* fileName, unsigned frame) {
    IDirect3DDevice8* device = Device();
    if (!device || !m_pKernel || !m_pKernel->m_pFileSystem) return -1;
    File* file = HostInput::Current().OpenReading(m_pKernel, fileName);
    if (!file) return -1;
    const void* data = file->GetBuffer();
    const unsigned long size = file->GetSize();
    HRESULT hr = D3DXERR_INVALIDDATA;
    IDirect3DTexture8* texture = nullptr;
    if (data) hr = D3DXCreateTextureFromFileInMemory(device, data, static_cast<UINT>(size), &texture);
    file->Close();
    if (hr != D3D_OK || !texture) {
        if (texture) texture->Release();
        return hr != D3D_OK ? static_cast<int>(hr) : -1;
    }
    m_Frames[frame].texture.reset(texture);
    return 0;
}

bool D3DTexture::DescribeFromFrame(IDirect3DTexture8* frame, D3DSURFACE_DESC* desc) {
    return SUCCEEDED(frame->GetLevelDesc(0, desc));
}

int D3DTexture::LoadImageFile(const char* fileName, bool keepCopy) {
    m_bKeepCopy = keepCopy;
    m_bMipmaps = true;  // the image loader always makes a full chain
    if (!SetFrameCount(1)) return -1;
    int result = LoadImageFrame(fileName, 0);
    D3DSURFACE_DESC desc;
    if (result == 0 && !DescribeFromFrame(m_Frames[0].texture.get(), &desc)) result = -1;
    if (result == 0) {
        SetShape(desc.Width, desc.Height, desc.Format);
        if (m_bKeepCopy) result = ReadBackFrame(0);
    }
    if (result != 0) {
        ReleaseResources();
        return result;
    }
    return 0;
}

int D3DTexture::LoadFromFileSequence(const char* fileName, int framesPerSecond, bool,
                                     bool mipmaps, bool keepCopy) {
    if (!fileName) return -1;
    const String name(fileName);
    ReleaseResources();
    if (framesPerSecond <= 0) return -1;

    // fire0.tga: base "fire", extension "tga"; only the one digit before the
    // '.' is dropped.
    const char* text = name.c_str();
    const char* dot = std::strrchr(text, '.');
    if (!dot || dot == text || !std::isdigit(static_cast<unsigned char>(dot[-1]))) return -1;
    const size_t baseLength = static_cast<size_t>(dot - text) - 1;
    const char* extension = dot + 1;
    if (baseLength >= kNameBuffer || std::strlen(extension) >= kNameBuffer) return -1;
    char base[kNameBuffer];
    std::memcpy(base, text, baseLength);
    base[baseLength] = '\0';

    // Formed with room to spare, then held to the name buffer's size.
    char frameName[2 * kNameBuffer + 8];
    auto formName = [&](unsigned n) {
        const int written = std::snprintf(frameName, sizeof frameName, "%s%u.%s", base, n,
                                          extension);
        return written > 0 && static_cast<size_t>(written) < kNameBuffer;
    };

    unsigned count = 0;
    for (;; ++count) {
        if (count > kMaxSequenceFrames) return -1;
        if (!formName(count)) return -1;
        File* file = HostInput::Current().OpenReading(m_pKernel, frameName);
        if (!file) break;
        file->Close();
    }
    if (count == 0) return -1;

    m_bKeepCopy = keepCopy;
    (void)mipmaps;  // every frame comes with the image loader's full chain
    if (!SetFrameCount(count)) {
        ReleaseResources();
        return -1;
    }

    for (unsigned i = 0; i < count; ++i) {
        formName(i);
        int result = LoadImageFrame(frameName, i);
        if (result != 0) {
            m_pKernel->LogMessage("Failed to load from %s.", frameName);
            ReleaseResources();
            return -1;
        }
        D3DSURFACE_DESC desc;
        if (!DescribeFromFrame(m_Frames[i].texture.get(), &desc)) {
            ReleaseResources();
            return -1;
        }
        if (i == 0) {
            SetShape(desc.Width, desc.Height, desc.Format);
        } else if (desc.Width != m_Width || desc.Height != m_Height || desc.Format != m_Format) {
            m_pKernel->LogMessage("%s does not have the same parameters as the previous frames.",
                                  frameName);
            ReleaseResources();
            return -1;
        }
        if (m_bKeepCopy) {
            result = ReadBackFrame(i);
            if (result != 0) {
                ReleaseResources();
                return result;
            }
        }
    }

    // One file is a still texture.
    if (count > 1) {
        constexpr int kMillisecondsPerSecond = 1000;
        const auto duration = static_cast<unsigned short>(kMillisecondsPerSecond / framesPerSecond);
        if (!SetDurations(nullptr, count, duration)) {
            ReleaseResources();
            return -1;
        }
    }
    m_bMipmaps = true;
    formName(0);
    m_FileName = frameName;
    m_FramesPerSecond = framesPerSecond;
    m_Origin = Origin::Sequence;
    return 0;
}
