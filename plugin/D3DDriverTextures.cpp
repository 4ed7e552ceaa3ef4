// Textures: creation and loading through the registry, binding, release, and
// the texture half of a device reset.
#include "host/Texture.h"
#include "plugin/D3DDriver.h"

Texture* D3DDriver::CreateTexture(unsigned, unsigned, bool, unsigned) { return nullptr; }
Texture* D3DDriver::CreateTextureFromFile(const char*, bool, bool) { return nullptr; }
Texture* D3DDriver::CreateTextureFromFileSequence(const char*, int, bool, bool) {
    return nullptr;
}
bool D3DDriver::ReleaseTexture(Texture*) { return false; }

void D3DDriver::SetTexture(unsigned stage, Texture* texture) {
    // Binding a texture object belongs to the texture itself; without one
    // the stage is simply emptied.
    if (!texture && m_pDevice) m_pDevice->SetTexture(stage, nullptr);
}

void D3DDriver::DestroyAllTextures() {
    for (void* item = m_Textures.Rewind(); item; item = m_Textures.Next()) {
        TextureEntry* entry = static_cast<TextureEntry*>(item);
        delete entry->texture;
        delete entry;
    }
    m_Textures.Reset();
}

// The registry holds only textures this driver loaded; this build of the
// driver loads none yet, so there is nothing to release or reload.
void D3DDriver::ReleaseTextureResources() {}

bool D3DDriver::ReloadTextures() { return m_Textures.Count() == 0; }
