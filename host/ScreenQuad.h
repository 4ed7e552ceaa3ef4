// A rectangle in screen pixels drawn without transform: four ScreenVertex
// values, top-left, top-right, bottom-right, bottom-left.
#pragma once

#include <windows.h>

#include <cstdint>

#include "HostTypes.h"

class ScreenQuad {
public:
    virtual ~ScreenQuad() {}                                                // 0
    virtual ScreenVertex* GetVertices() = 0;                                // 1
    virtual void SetRect(RECT rect) = 0;                                    // 2
    virtual void SetColor(uint32_t colour) = 0;                             // 3
    virtual void SetTexCoords(float u0, float v0, float u1, float v1, float u2, float v2,
                              float u3, float v3) = 0;                      // 4
    virtual void GetTexCoords(float* u0, float* v0, float* u1, float* v1, float* u2, float* v2,
                              float* u3, float* v3) = 0;                    // 5
    virtual RECT GetRect() = 0;                                             // 6
    virtual uint32_t GetColor() = 0;                                        // 7
};
