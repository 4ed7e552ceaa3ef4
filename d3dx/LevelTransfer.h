// A texture's levels in memory: locking one level, or a whole chain of them
// at once as A8R8G8B8 views, and moving pixels between memory and a level in
// whatever uncompressed or DXT format the texture has. In the image loader
// (TextureFile.cpp) this is where an image decoded into memory goes into its
// texture, and where the mip chain locks the levels it fills.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>

#include <d3d8.h>

#include "DecodedImage.h"
#include "PixelView.h"
#include "pixels/LevelLock.h"

// Locks levels first ... last of a texture at once, as A8R8G8B8 views, for as
// long as it lives: a mip chain filtered straight from level to level.
class LevelChainLock {
public:
    LevelChainLock() = default;
    ~LevelChainLock() { Unlock(); }
    LevelChainLock(const LevelChainLock&) = delete;
    LevelChainLock& operator=(const LevelChainLock&) = delete;

    // Locks every level from `first` to the texture's last, `first` with
    // firstFlags and the rest for writing; the first failure is the result
    // (D3DERR_INVALIDCALL for a level whose memory is not A8R8G8B8 words,
    // IsArgbMemory), and whatever it had locked is unlocked again.
    HRESULT Lock(IDirect3DTexture8* texture, UINT first, DWORD firstFlags);
    // Unlocks every level, the last first (also done on destruction); the
    // first failure is the result.
    HRESULT Unlock();

    UINT Count() const { return m_Count; }
    const PixelView* Views() const { return m_Views.get(); }

private:
    UINT m_Count = 0;
    std::unique_ptr<PixelView[]> m_Views;
    std::unique_ptr<std::optional<LevelLock>[]> m_Locks;
};

// True for the formats these routines read and write.
bool IsTransferableFormat(D3DFORMAT format);

// Stores A8R8G8B8 pixels (the level's size) into the level, converting them
// to its format (compressing them for DXT formats).
HRESULT WriteLevel(IDirect3DTexture8* texture, UINT level, const PixelView& argb);
// Stores blocks of the level's own DXT format unchanged.
HRESULT WriteLevelBlocks(IDirect3DTexture8* texture, UINT level, const PixelView& blocks);
// Reads the level into a new A8R8G8B8 image level.
HRESULT ReadLevel(IDirect3DTexture8* texture, UINT level, ImageLevel& argb);
