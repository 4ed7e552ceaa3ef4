// A font the renderer rasterised, for drawing printf-style text on a frame.
#pragma once

#include <cstdint>

class Font {
public:
    virtual ~Font() {}                                                      // 0
    virtual bool Print(int x, int y, uint32_t colour, const char* format, ...)
        __attribute__((format(printf, 5, 6))) = 0;                          // 1
    virtual int GetTextWidth(const char* format, ...)
        __attribute__((format(printf, 2, 3))) = 0;                          // 2
    virtual int GetTextHeight() = 0;                                        // 3
    virtual int GetAverageCharWidth() = 0;                                  // 4
};
