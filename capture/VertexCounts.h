// How many vertices a draw of `count` primitives of a type reads (Direct3D's
// rules for lists, strips and fans); 0 for a type the engine does not number.
#pragma once

#include <cstdint>

#include "host/EngineNumbering.h"

namespace orvcapture {

constexpr uint64_t VertexCountOf(unsigned type, uint64_t count) {
    switch (type) {
        case PRIMITIVE_POINTLIST: return count;
        case PRIMITIVE_LINELIST: return 2 * count;
        case PRIMITIVE_LINESTRIP: return count ? count + 1 : 0;
        case PRIMITIVE_TRIANGLELIST: return 3 * count;
        case PRIMITIVE_TRIANGLESTRIP:
        case PRIMITIVE_TRIANGLEFAN: return count ? count + 2 : 0;
        default: return 0;
    }
}
static_assert(VertexCountOf(PRIMITIVE_TRIANGLESTRIP, 2) == 4, "a strip of two triangles is a quad");

}  // namespace orvcapture
