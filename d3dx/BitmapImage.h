// A 24-bit image laid out the way a Windows bitmap file stores it: each pixel
// blue, green, red; rows bottom-up, each padded to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <memory>

#include <windows.h>

class BitmapImage {
public:
    // Makes room for width x height pixels, zero-filled. False when that
    // memory is not available or the file would not fit its 32-bit sizes.
    bool Allocate(UINT width, UINT height);

    // The 3 * width bytes of row y, counted from the top of the image.
    BYTE* TopDownRow(UINT y);

    // Writes the file headers and the pixels to path. False when the file
    // cannot be created or written; a partly written file is removed.
    bool Save(const char* path) const;

private:
    UINT m_Width = 0;
    UINT m_Height = 0;
    size_t m_RowSize = 0;
    std::unique_ptr<BYTE[]> m_Pixels;
};
