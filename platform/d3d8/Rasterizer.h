// A small software rasteriser for pre-transformed triangles (an FVF with
// D3DFVF_XYZRHW), enough for screen-space overlays such as debug text to show
// in the back buffer: stage 0 texturing with point sampling, the stage-0
// colour and alpha operations, alpha test, alpha blending, depth test and
// culling. Other vertices and primitive types are recorded but not drawn.
#pragma once

#include <d3d8.h>

#include <cstdint>

namespace orvd3d8 {

class Device8;
class Surface8;
class Texture8;
class VertexFormat;

// Where a validated draw reads its vertices: vertex n is at vertexData +
// n * stride, with n = baseVertexIndex + the index (or + the element number
// for draws without indices).
struct DrawSource {
    const uint8_t* vertexData = nullptr;
    UINT stride = 0;
    const uint8_t* indexData = nullptr;  // the first index read; null without indices
    UINT indexSize = 0;
    UINT baseVertexIndex = 0;
};

class Rasterizer {
public:
    explicit Rasterizer(const Device8& device);

    // Draws `elementCount` vertices (or indices) of `type` into the back buffer.
    void Draw(D3DPRIMITIVETYPE type, UINT elementCount, const DrawSource& source);

    struct Vertex {
        float x, y, z, rhw;
        float colour[4];  // a, r, g, b in 0..1
        float u, v;
    };

private:
    Vertex Fetch(const VertexFormat& format, const DrawSource& source, UINT element) const;
    void Triangle(const Vertex& a, const Vertex& b, const Vertex& c, bool flipped);
    void Shade(int x, int y, const Vertex* v[3], const float weights[3]);
    uint32_t Sample(float u, float v) const;
    uint32_t Combine(const float diffuse[4], uint32_t texel) const;
    bool AlphaPasses(uint32_t alpha) const;
    uint32_t Blend(uint32_t source, uint32_t dest) const;

    const Device8& m_Device;
    Surface8* m_Target;
    Surface8* m_Depth;
    const Texture8* m_Texture;
};

}  // namespace orvd3d8
