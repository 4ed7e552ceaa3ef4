// An image file decoded into memory, before it becomes a texture: level 0 and
// whatever lower levels the file stores, either as A8R8G8B8 pixels (every
// uncompressed source) or as the file's own 4x4 blocks (DXT1 to DXT5).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <d3d8.h>

// The largest image a decoder accepts: the device's maximum texture size.
struct ImageLimits {
    UINT maxWidth = 4096;
    UINT maxHeight = 4096;
};

struct PixelView;

// How a decoder writes level 0: each row once, from the top down, reporting
// each as it is done (DecodedImage::TopRowsDone), or in any order.
enum class RowOrder { TopDown, Any };

// Somewhere else level 0 may be decoded to, such as a texture made for the
// image: a decoder asks once it knows the size and the image's format.
class PixelTarget {
public:
    // D3D_OK with *rows for width x height A8R8G8B8 pixels, or with *rows
    // left empty when the image is to keep its own level 0; a failure ends
    // the decode with that result. For a decoder that writes from the top
    // down, *rows may be a band of fewer rows, reused from the top: row y then
    // goes to rows->Row(y % rows->height).
    virtual HRESULT Open(UINT width, UINT height, D3DFORMAT format, RowOrder order, PixelView* rows) = 0;
    // The first `rows` rows hold their final pixels: the target may start
    // on them while they are fresh in the cache.
    virtual void RowsDone(UINT rows) = 0;

protected:
    ~PixelTarget() = default;
};

struct ImageLevel {
    UINT width = 0, height = 0;
    size_t pitch = 0;  // bytes from one row (of pixels or blocks) to the next
    size_t rows = 0;   // rows of pixels or of blocks
    std::unique_ptr<BYTE[]> bytes;

    uint32_t* PixelRow(UINT y) { return reinterpret_cast<uint32_t*>(bytes.get() + y * pitch); }
    const uint32_t* PixelRow(UINT y) const {
        return reinterpret_cast<const uint32_t*>(bytes.get() + y * pitch);
    }
};

class DecodedImage {
public:
    // What level 0 would be stored in if the device offers it: the file's own
    // pixel format (X8R8G8B8 for palettised images and 24-bit PNG and JPEG
    // files, whose colours are 8-bit triples).
    D3DFORMAT Format() const { return m_Format; }
    void SetFormat(D3DFORMAT format) { m_Format = format; }
    // True when the levels hold blocks of Format(), false for A8R8G8B8 pixels.
    bool HasBlocks() const { return m_BlockBytes != 0; }
    UINT BlockBytes() const { return m_BlockBytes; }

    UINT LevelCount() const { return static_cast<UINT>(m_Levels.size()); }
    ImageLevel& Level(UINT level) { return m_Levels[level]; }
    const ImageLevel& Level(UINT level) const { return m_Levels[level]; }
    UINT Width() const { return m_Levels.empty() ? 0 : m_Levels[0].width; }
    UINT Height() const { return m_Levels.empty() ? 0 : m_Levels[0].height; }

    // Appends a level of width x height A8R8G8B8 pixels (contents undefined).
    // E_OUTOFMEMORY when it cannot be allocated.
    HRESULT AddPixelLevel(UINT width, UINT height);
    // Level 0 of width x height A8R8G8B8 pixels (contents undefined) for a
    // decoder to write through *rows: in the target's memory where it offers
    // it (the image then holds no level; InTarget() is true), else in a level
    // appended as by AddPixelLevel. Format() must be set first. Row y is
    // rows->Row(y % rows->height): a target may lend a band of rows to a
    // decoder that writes from the top down.
    HRESULT AddTopPixelLevel(UINT width, UINT height, RowOrder order, PixelView* rows);
    void SetTarget(PixelTarget* target) { m_pTarget = target; }
    bool InTarget() const { return m_bInTarget; }
    // Decoders that write level 0 from the top down report each row when it
    // is done, and before the row a band lent for it holds next.
    void TopRowsDone(UINT rows) {
        if (m_bInTarget) m_pTarget->RowsDone(rows);
    }
    // Appends a level of 4x4 blocks of blockBytes each covering width x height.
    HRESULT AddBlockLevel(UINT width, UINT height, UINT blockBytes);
    // Replaces the levels by pixel levels (after decompressing or scaling).
    void ReplaceLevels(std::vector<ImageLevel>&& levels);
    // Replaces DXT blocks by their A8R8G8B8 pixels, level by level (the
    // file's own lower levels stay); an image of pixels is left as it is.
    HRESULT Decompress();

private:
    HRESULT Append(ImageLevel&& level);

    D3DFORMAT m_Format = D3DFMT_UNKNOWN;
    UINT m_BlockBytes = 0;
    std::vector<ImageLevel> m_Levels;
    PixelTarget* m_pTarget = nullptr;
    bool m_bInTarget = false;
};

// A side of a lower level of a mip chain: halved per level, at least 1.
inline UINT LevelSide(UINT side, UINT level) { return level < 32 && side >> level ? side >> level : 1; }
// Levels of a full chain down to 1 x 1.
inline UINT FullChainLength(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = width > height ? width : height; size > 1; size >>= 1) ++levels;
    return levels;
}

// Allocates a pixel level without adding it to an image.
HRESULT MakePixelLevel(UINT width, UINT height, ImageLevel& level);
