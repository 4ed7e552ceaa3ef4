// Textures: creation and loading through the registry, binding, release, and
// the texture half of a device reset.
#include <memory>
#include <new>

#include "host/Kernel.h"
#include "host/Texture.h"
#include "plugin/D3DDriver.h"
#include "texture/D3DTexture.h"
#include "texture/TextureFileType.h"

namespace {

// Frames of a texture the host creates last 66 ms each.
constexpr unsigned short kCreatedFrameDuration = 66;

// What the driver asks of a texture it creates: red, green and blue of
// ordinary precision with more green, and alpha.
const PixelChannels kCreatedChannels(2, 3, 2, 2, 0);

// Equal ignoring ASCII letter case, as String::CompareIC tells. Names of one
// folder share their beginnings, so the walk starts from the end.
bool SameNameIgnoringCase(const String& a, const String& b) {
    const unsigned length = a.Length();
    if (b.Length() != length) return false;
    const char* x = a.c_str();
    const char* y = b.c_str();
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (unsigned i = length; i-- > 0;)
        if (x[i] != y[i] && lower(x[i]) != lower(y[i])) return false;
    return true;
}

}  // namespace

Texture* D3DDriver::CreateTexture(unsigned width, unsigned height, bool mipmaps,
                                  unsigned frameCount) {
    auto refuse = [&] {
        m_pKernel->LogMessage("D3DDriver failed to create new %dx%d texture.", width, height);
        return nullptr;
    };
    if (!m_pDevice) return refuse();
    D3DTexture* texture = new (std::nothrow) D3DTexture(m_pKernel, this);
    if (!texture) return nullptr;

    std::unique_ptr<unsigned short[]> durations;
    int result = -1;
    if (frameCount <= 0xFFFF) {
        durations.reset(new (std::nothrow) unsigned short[frameCount ? frameCount : 1]);
        if (durations) {
            for (unsigned frame = 0; frame < frameCount; ++frame)
                durations[frame] = kCreatedFrameDuration;
            result = texture->Create(width, height, mipmaps, frameCount, durations.get(),
                                     m_TextureBitDepth != 16, true, kCreatedChannels);
        }
    }
    durations.reset();
    TextureEntry* entry = result == 0 ? new (std::nothrow) TextureEntry{String(), texture} : nullptr;
    if (!entry) {
        delete texture;
        return refuse();
    }
    texture->AddRef();
    m_Textures.PushEnd(entry);
    return texture;
}

Texture* D3DDriver::CreateTextureFromFile(const char* fileName, bool mipmaps, bool unique) {
    return LoadTexture(fileName, 0, mipmaps, unique);
}

Texture* D3DDriver::CreateTextureFromFileSequence(const char* fileName, int framesPerSecond,
                                                  bool mipmaps, bool unique) {
    // A rate of 0 would leave the frames without durations.
    return LoadTexture(fileName, framesPerSecond > 0 ? framesPerSecond : -1, mipmaps, unique);
}

Texture* D3DDriver::LoadTexture(const char* fileName, int framesPerSecond, bool mipmaps,
                                bool unique) {
    const bool sequence = framesPerSecond != 0;
    auto refuse = [&] {
        m_pKernel->LogMessage(sequence
                                  ? "D3DDriver::CreateTextureFromFileSequence: Failed to load %s"
                                  : "D3DDriver::CreateTextureFromFile: Failed to load %s",
                              fileName ? fileName : "(null)");
        return nullptr;
    };
    if (!m_pDevice || !fileName) return refuse();
    if (!unique) {
        if (TextureEntry* entry = FindTextureByName(fileName)) {
            entry->texture->AddRef();
            return entry->texture;
        }
    }
    D3DTexture* texture = new (std::nothrow) D3DTexture(m_pKernel, this);
    if (!texture) return nullptr;
    const bool prefer32Bit = m_TextureBitDepth != 16;
    const int result =
        sequence ? texture->LoadFromFileSequence(fileName, framesPerSecond, prefer32Bit, mipmaps,
                                                 true)
                 : texture->LoadFromFile(fileName, TextureFileType(fileName), prefer32Bit,
                                         mipmaps, true);
    TextureEntry* entry = nullptr;
    if (result != 0 ||
        (!unique && !(entry = new (std::nothrow) TextureEntry{String(fileName), texture}))) {
        delete texture;
        return refuse();
    }
    texture->AddRef();
    if (unique)
        m_UniqueTextures.PushEnd(texture);
    else
        m_Textures.PushEnd(entry);
    return texture;
}

bool D3DDriver::ReleaseTexture(Texture* texture) {
    if (!texture) return true;
    if (TextureEntry* entry = FindTextureEntry(texture)) {
        texture->Release();
        if (texture->GetRefCount() == 0) {
            m_Textures.Remove(m_Textures.Find(entry));
            delete static_cast<D3DTexture*>(texture);
            delete entry;
        }
        return true;
    }
    // A unique texture dies when its last holder lets go; a pointer this
    // driver does not hold (never handed out, or already destroyed) is left
    // alone.
    const int unique = m_UniqueTextures.Find(texture);
    if (unique >= 0) {
        texture->Release();
        if (texture->GetRefCount() == 0) {
            m_UniqueTextures.Remove(unique);
            delete static_cast<D3DTexture*>(texture);
        }
    }
    return true;
}

void D3DDriver::SetTexture(unsigned stage, Texture* texture) {
    if (!m_pDevice) return;
    if (texture)
        static_cast<D3DTexture*>(texture)->Bind(stage);
    else
        m_pDevice->SetTexture(stage, nullptr);
}

D3DDriver::TextureEntry* D3DDriver::FindTextureByName(const String& name) {
    for (void* item = m_Textures.Rewind(); item; item = m_Textures.Next()) {
        TextureEntry* entry = static_cast<TextureEntry*>(item);
        if (SameNameIgnoringCase(entry->fileName, name)) return entry;
    }
    return nullptr;
}

D3DDriver::TextureEntry* D3DDriver::FindTextureEntry(Texture* texture) {
    for (void* item = m_Textures.Rewind(); item; item = m_Textures.Next()) {
        TextureEntry* entry = static_cast<TextureEntry*>(item);
        if (entry->texture == texture) return entry;
    }
    return nullptr;
}

void D3DDriver::DestroyAllTextures() {
    for (void* item = m_Textures.Rewind(); item; item = m_Textures.Next()) {
        TextureEntry* entry = static_cast<TextureEntry*>(item);
        delete static_cast<D3DTexture*>(entry->texture);
        delete entry;
    }
    m_Textures.Reset();
    for (void* item = m_UniqueTextures.Rewind(); item; item = m_UniqueTextures.Next())
        delete static_cast<D3DTexture*>(item);
    m_UniqueTextures.Reset();
}

void D3DDriver::ReleaseTextureResources() {
    for (void* item = m_Textures.Rewind(); item; item = m_Textures.Next())
        static_cast<D3DTexture*>(static_cast<TextureEntry*>(item)->texture)->ReleaseForReset();
    for (void* item = m_UniqueTextures.Rewind(); item; item = m_UniqueTextures.Next())
        static_cast<D3DTexture*>(item)->ReleaseForReset();
}

bool D3DDriver::ReloadTextures() {
    const bool prefer32Bit = m_TextureBitDepth != 16;
    for (void* item = m_Textures.Rewind(); item; item = m_Textures.Next()) {
        D3DTexture* texture = static_cast<D3DTexture*>(static_cast<TextureEntry*>(item)->texture);
        if (texture->ReloadAfterReset(prefer32Bit) != 0) return false;
    }
    for (void* item = m_UniqueTextures.Rewind(); item; item = m_UniqueTextures.Next())
        if (static_cast<D3DTexture*>(item)->ReloadAfterReset(prefer32Bit) != 0) return false;
    return true;
}
