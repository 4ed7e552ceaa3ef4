// Locks levels first ... last of a texture at once, as A8R8G8B8 views, for as
// long as it lives: a mip chain filtered straight from level to level.
#pragma once

#include <memory>
#include <optional>

#include <d3d8.h>

#include "LevelLock.h"
#include "PixelView.h"

class LevelChainLock {
public:
    LevelChainLock() = default;
    ~LevelChainLock() { Unlock(); }
    LevelChainLock(const LevelChainLock&) = delete;
    LevelChainLock& operator=(const LevelChainLock&) = delete;

    // Locks every level from `first` to the texture's last, `first` with
    // firstFlags and the rest for writing; the first failure is the result,
    // and whatever it had locked is unlocked again.
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
