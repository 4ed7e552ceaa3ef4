// Textures: creation and loading through the registry, binding, release, and
// the texture half of a device reset.
#include <memory>
#include <new>
#include <string>

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

constexpr char kNotATexture[] = "%s: Not a texture of this driver.";

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
    if (frameCount <= D3DTexture::kMostFrames) {
        durations.reset(new (std::nothrow) unsigned short[frameCount ? frameCount : 1]);
        if (durations) {
            for (unsigned frame = 0; frame < frameCount; ++frame)
                durations[frame] = kCreatedFrameDuration;
            result = texture->Create(width, height, mipmaps, frameCount, durations.get(),
                                     m_TextureBitDepth != 16, true, kCreatedChannels);
        }
    }
    durations.reset();
    TextureEntry* entry =
        result == 0 ? new (std::nothrow) TextureEntry{String(), texture, {}} : nullptr;
    if (!entry || !RegisterTexture(texture, entry)) {
        delete entry;
        delete texture;
        return refuse();
    }
    texture->AddRef();
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
        (!unique && !(entry = new (std::nothrow) TextureEntry{String(fileName), texture, {}})) ||
        !RegisterTexture(texture, entry)) {
        delete entry;
        delete texture;
        return refuse();
    }
    texture->AddRef();
    return texture;
}

bool D3DDriver::ReleaseTexture(Texture* texture) {
    if (!texture) return true;
    // A pointer this driver does not hold (never handed out, or already
    // destroyed) is left alone.
    const auto held = m_TextureIndex.find(texture);
    if (held == m_TextureIndex.end()) {
        m_pKernel->LogMessage(kNotATexture, "D3DDriver::ReleaseTexture");
        return true;
    }
    // Shared or unique, a texture dies when its last holder lets go.
    texture->Release();
    if (texture->GetRefCount() == 0) DestroyTexture(texture, held->second.entry);
    return true;
}

void D3DDriver::SetTexture(unsigned stage, Texture* texture) {
    if (!m_pDevice) return;
    if (!texture) {
        m_pDevice->SetTexture(stage, nullptr);
        return;
    }
    const auto held = m_TextureIndex.find(texture);
    if (held == m_TextureIndex.end()) {
        m_pKernel->LogMessage(kNotATexture, "D3DDriver::SetTexture");
    } else if (held->second.device != m_pDevice) {
        m_pKernel->LogMessage("D3DDriver::SetTexture: the texture's display was closed.");
    } else {
        static_cast<D3DTexture*>(texture)->Bind(stage);
    }
}

void D3DDriver::MakeNameKey(const String& name, std::string* key) {
    const size_t length = name.Length();
    key->resize(length);
    // Plain pointers and a length held aside let the compiler lower many
    // bytes at once.
    const char* from = name.c_str();
    char* to = &(*key)[0];
    for (size_t at = 0; at < length; ++at) {
        const char c = from[at];
        to[at] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
}

D3DDriver::TextureEntry* D3DDriver::FindTextureByName(const String& name) {
    try {
        MakeNameKey(name, &m_LookupKey);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    const auto slot = m_TextureNames.find(m_LookupKey);
    return slot == m_TextureNames.end() ? nullptr : slot->second;
}

D3DDriver::TextureEntry* D3DDriver::FindTextureEntry(Texture* texture) {
    const auto held = m_TextureIndex.find(texture);
    return held == m_TextureIndex.end() ? nullptr : held->second.entry;
}

bool D3DDriver::HoldsTexture(Texture* texture, const char* operation) {
    if (m_TextureIndex.count(texture)) return true;
    m_pKernel->LogMessage(kNotATexture, operation);
    return false;
}

bool D3DDriver::RegisterTexture(D3DTexture* texture, TextureEntry* entry) {
    try {
        m_TextureIndex.emplace(texture, HeldTexture{entry, m_pDevice});
        if (entry) {
            MakeNameKey(entry->fileName, &entry->nameKey);
            // A name already there keeps its first entry.
            m_TextureNames.try_emplace(entry->nameKey, entry);
        }
    } catch (const std::bad_alloc&) {
        m_TextureIndex.erase(texture);
        return false;
    }
    if (entry) m_Textures.PushEnd(entry);
    else m_UniqueTextures.PushEnd(texture);
    return true;
}

void D3DDriver::DestroyTexture(Texture* texture, TextureEntry* entry) {
    m_TextureIndex.erase(texture);
    D3DTexture* own = static_cast<D3DTexture*>(texture);
    if (!entry) {
        m_UniqueTextures.Remove(m_UniqueTextures.Find(own));
        delete own;
        return;
    }
    m_Textures.Remove(m_Textures.Find(entry));
    const auto slot = m_TextureNames.find(entry->nameKey);
    if (slot != m_TextureNames.end() && slot->second == entry) {
        // The next entry of that name in registry order takes its place (by
        // index: a caller may be walking the list).
        slot->second = nullptr;
        for (int index = 0; index < m_Textures.Count() && !slot->second; ++index) {
            TextureEntry* other = static_cast<TextureEntry*>(m_Textures.ElementAt(index));
            if (other->nameKey == entry->nameKey) slot->second = other;
        }
        if (!slot->second) m_TextureNames.erase(slot);
    }
    delete own;
    delete entry;
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
    m_TextureIndex.clear();
    m_TextureNames.clear();
}

void D3DDriver::ReleaseTextureResources() {
    for (void* item = m_Textures.Rewind(); item; item = m_Textures.Next())
        static_cast<D3DTexture*>(static_cast<TextureEntry*>(item)->texture)->ReleaseForReset();
    for (void* item = m_UniqueTextures.Rewind(); item; item = m_UniqueTextures.Next())
        static_cast<D3DTexture*>(item)->ReleaseForReset();
}

bool D3DDriver::ReloadTextures() {
    const bool prefer32Bit = m_TextureBitDepth != 16;
    auto reload = [&](D3DTexture* texture) {
        if (texture->ReloadAfterReset(prefer32Bit) != 0) return false;
        const auto held = m_TextureIndex.find(texture);
        if (held != m_TextureIndex.end()) held->second.device = m_pDevice;
        return true;
    };
    for (void* item = m_Textures.Rewind(); item; item = m_Textures.Next())
        if (!reload(static_cast<D3DTexture*>(static_cast<TextureEntry*>(item)->texture)))
            return false;
    for (void* item = m_UniqueTextures.Rewind(); item; item = m_UniqueTextures.Next())
        if (!reload(static_cast<D3DTexture*>(item))) return false;
    return true;
}
