#include "Rasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Device8.h"
#include "PixelFormat.h"
#include "Surface8.h"
#include "Texture8.h"
#include "VertexFormat.h"

namespace orvd3d8 {
namespace {

enum { kA, kR, kG, kB };

void Unpack(uint32_t argb, float out[4]) {
    out[kA] = static_cast<float>(argb >> 24) / 255.0f;
    out[kR] = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
    out[kG] = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
    out[kB] = static_cast<float>(argb & 0xFF) / 255.0f;
}

uint32_t Pack(const float in[4]) {
    auto byte = [](float value) {
        return static_cast<uint32_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
    };
    return (byte(in[kA]) << 24) | (byte(in[kR]) << 16) | (byte(in[kG]) << 8) | byte(in[kB]);
}

float ReadFloat(const uint8_t* at) {
    float value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <typename T>
bool Compare(DWORD function, T value, T reference) {
    switch (function) {
        case D3DCMP_NEVER: return false;
        case D3DCMP_LESS: return value < reference;
        case D3DCMP_EQUAL: return value == reference;
        case D3DCMP_LESSEQUAL: return value <= reference;
        case D3DCMP_GREATER: return value > reference;
        case D3DCMP_NOTEQUAL: return value != reference;
        case D3DCMP_GREATEREQUAL: return value >= reference;
        default: return true;  // D3DCMP_ALWAYS
    }
}

// One blend factor for the colour `source` written over `dest`.
void BlendFactor(DWORD blend, const float source[4], const float dest[4], float out[4]) {
    for (int i = 0; i < 4; ++i) {
        switch (blend) {
            case D3DBLEND_ZERO: out[i] = 0.0f; break;
            case D3DBLEND_SRCCOLOR: out[i] = source[i]; break;
            case D3DBLEND_INVSRCCOLOR: out[i] = 1.0f - source[i]; break;
            case D3DBLEND_SRCALPHA: out[i] = source[kA]; break;
            case D3DBLEND_INVSRCALPHA: out[i] = 1.0f - source[kA]; break;
            case D3DBLEND_DESTALPHA: out[i] = dest[kA]; break;
            case D3DBLEND_INVDESTALPHA: out[i] = 1.0f - dest[kA]; break;
            case D3DBLEND_DESTCOLOR: out[i] = dest[i]; break;
            case D3DBLEND_INVDESTCOLOR: out[i] = 1.0f - dest[i]; break;
            default: out[i] = 1.0f; break;  // D3DBLEND_ONE and the rest
        }
    }
}

// One texture-stage operation on one channel.
float Operate(DWORD op, float arg1, float arg2, float diffuseAlpha, float textureAlpha) {
    switch (op) {
        case D3DTOP_SELECTARG2: return arg2;
        case D3DTOP_MODULATE: return arg1 * arg2;
        case D3DTOP_MODULATE2X: return std::min(1.0f, 2.0f * arg1 * arg2);
        case D3DTOP_MODULATE4X: return std::min(1.0f, 4.0f * arg1 * arg2);
        case D3DTOP_ADD: return std::min(1.0f, arg1 + arg2);
        case D3DTOP_ADDSIGNED: return std::clamp(arg1 + arg2 - 0.5f, 0.0f, 1.0f);
        case D3DTOP_SUBTRACT: return std::max(0.0f, arg1 - arg2);
        case D3DTOP_BLENDDIFFUSEALPHA: return arg1 * diffuseAlpha + arg2 * (1.0f - diffuseAlpha);
        case D3DTOP_BLENDTEXTUREALPHA: return arg1 * textureAlpha + arg2 * (1.0f - textureAlpha);
        default: return arg1;  // D3DTOP_SELECTARG1 and the operations not modelled
    }
}

// An operation that reads the texture of a stage that has none is invalid:
// the runtime passes the current colour on instead (selects CURRENT), for
// the colour and the alpha operation each on its own.
bool ReadsMissingTexture(DWORD op, DWORD arg1, DWORD arg2) {
    if (op == D3DTOP_DISABLE) return false;
    return ((arg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE && op != D3DTOP_SELECTARG2) ||
           ((arg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE && op != D3DTOP_SELECTARG1);
}

struct StageOperation {
    DWORD op, arg1, arg2;
};

StageOperation StageOperationOf(const Device8& device, D3DTEXTURESTAGESTATETYPE op,
                                D3DTEXTURESTAGESTATETYPE arg1, D3DTEXTURESTAGESTATETYPE arg2,
                                bool textured) {
    StageOperation operation = {device.StageState(0, op), device.StageState(0, arg1),
                                device.StageState(0, arg2)};
    if (!textured && ReadsMissingTexture(operation.op, operation.arg1, operation.arg2))
        operation = {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT};
    return operation;
}

float Address(DWORD mode, float coordinate, bool& border) {
    switch (mode) {
        case D3DTADDRESS_CLAMP: return std::clamp(coordinate, 0.0f, 1.0f);
        case D3DTADDRESS_BORDER:
            border = border || coordinate < 0.0f || coordinate > 1.0f;
            return coordinate;
        case D3DTADDRESS_MIRROR: {
            float period = coordinate - 2.0f * std::floor(coordinate / 2.0f);
            return period > 1.0f ? 2.0f - period : period;
        }
        case D3DTADDRESS_MIRRORONCE: return std::min(std::fabs(coordinate), 1.0f);
        default: return coordinate - std::floor(coordinate);  // D3DTADDRESS_WRAP
    }
}

}  // namespace

Rasterizer::Rasterizer(const Device8& device)
    : m_Device(device),
      m_Target(device.BackBuffer()),
      m_Depth(device.DepthStencil()),
      m_Texture(device.BoundTexture(0)) {}

Rasterizer::Vertex Rasterizer::Fetch(const VertexFormat& format, const DrawSource& source,
                                     UINT element) const {
    UINT index = element;
    if (source.indexData) {
        const uint8_t* at = source.indexData + static_cast<size_t>(element) * source.indexSize;
        index = at[0] | (static_cast<UINT>(at[1]) << 8);
        if (source.indexSize == 4)
            index |= (static_cast<UINT>(at[2]) << 16) | (static_cast<UINT>(at[3]) << 24);
    }
    const uint8_t* at =
        source.vertexData + (static_cast<size_t>(source.baseVertexIndex) + index) * source.stride;
    Vertex vertex = {};
    vertex.x = ReadFloat(at);
    vertex.y = ReadFloat(at + 4);
    vertex.z = ReadFloat(at + 8);
    vertex.rhw = ReadFloat(at + 12);
    uint32_t diffuse = 0xFFFFFFFF;
    if (format.DiffuseOffset() != VertexFormat::kAbsent)
        std::memcpy(&diffuse, at + format.DiffuseOffset(), sizeof diffuse);
    Unpack(diffuse, vertex.colour);
    const UINT set = m_Device.StageState(0, D3DTSS_TEXCOORDINDEX) & 0xFFFF;
    if (format.TexCoordOffset(set) != VertexFormat::kAbsent) {
        vertex.u = ReadFloat(at + format.TexCoordOffset(set));
        vertex.v = ReadFloat(at + format.TexCoordOffset(set) + 4);
    }
    return vertex;
}

void Rasterizer::Draw(D3DPRIMITIVETYPE type, UINT elementCount, const DrawSource& source) {
    const VertexFormat format(m_Device.VertexShaderHandle());
    if (!format.PreTransformed() || source.stride < format.Size() || !m_Target) return;
    auto fetch = [&](UINT element) { return Fetch(format, source, element); };
    switch (type) {
        case D3DPT_TRIANGLELIST:
            for (UINT i = 0; i + 2 < elementCount; i += 3)
                Triangle(fetch(i), fetch(i + 1), fetch(i + 2), false);
            break;
        case D3DPT_TRIANGLESTRIP:
            // Every second triangle of a strip runs the other way round.
            for (UINT i = 0; i + 2 < elementCount; ++i)
                Triangle(fetch(i), fetch(i + 1), fetch(i + 2), (i & 1) != 0);
            break;
        case D3DPT_TRIANGLEFAN:
            for (UINT i = 1; i + 1 < elementCount; ++i)
                Triangle(fetch(0), fetch(i), fetch(i + 1), false);
            break;
        default: break;  // points and lines are not drawn
    }
}

void Rasterizer::Triangle(const Vertex& a, const Vertex& b, const Vertex& c, bool flipped) {
    // Positive area: clockwise on the screen (y grows downwards).
    const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (area == 0.0f || std::isnan(area)) return;
    const float facing = flipped ? -area : area;
    const DWORD cull = m_Device.RenderState(D3DRS_CULLMODE);
    if ((cull == D3DCULL_CCW && facing < 0.0f) || (cull == D3DCULL_CW && facing > 0.0f)) return;

    Vertex flat[3] = {a, b, c};
    if (m_Device.RenderState(D3DRS_SHADEMODE) == D3DSHADE_FLAT)
        for (Vertex& vertex : flat) std::copy(a.colour, a.colour + 4, vertex.colour);
    const Vertex* v[3] = {&flat[0], &flat[1], &flat[2]};
    if (area < 0.0f) std::swap(v[1], v[2]);
    const float size = std::fabs(area);

    const D3DVIEWPORT8& viewport = m_Device.Viewport();
    const Surface8::Desc& target = m_Target->Description();
    const float left =
        std::max<float>(static_cast<float>(viewport.X), std::ceil(std::min({a.x, b.x, c.x})));
    const float top =
        std::max<float>(static_cast<float>(viewport.Y), std::ceil(std::min({a.y, b.y, c.y})));
    const float right = std::min<float>({static_cast<float>(viewport.X + viewport.Width),
                                         static_cast<float>(target.width),
                                         std::floor(std::max({a.x, b.x, c.x})) + 1.0f});
    const float bottom = std::min<float>({static_cast<float>(viewport.Y + viewport.Height),
                                          static_cast<float>(target.height),
                                          std::floor(std::max({a.y, b.y, c.y})) + 1.0f});

    // Edge e runs from v[e] to v[e + 1]; pixels on a top or left edge belong
    // to the triangle, those on the other edges to its neighbours.
    auto edge = [](const Vertex& from, const Vertex& to, float x, float y) {
        return (to.x - from.x) * (y - from.y) - (to.y - from.y) * (x - from.x);
    };
    auto owns = [](const Vertex& from, const Vertex& to) {
        return to.y < from.y || (to.y == from.y && to.x > from.x);
    };
    bool topLeft[3];
    for (int e = 0; e < 3; ++e) topLeft[e] = owns(*v[e], *v[(e + 1) % 3]);

    // Pixel centres lie on integer coordinates.
    for (float y = top; y < bottom; y += 1.0f)
        for (float x = left; x < right; x += 1.0f) {
            float edges[3];
            bool inside = true;
            for (int e = 0; e < 3 && inside; ++e) {
                edges[e] = edge(*v[e], *v[(e + 1) % 3], x, y);
                inside = edges[e] > 0.0f || (edges[e] == 0.0f && topLeft[e]);
            }
            if (!inside) continue;
            // The weight of a vertex is the edge opposite it.
            const float weights[3] = {edges[1] / size, edges[2] / size, edges[0] / size};
            Shade(static_cast<int>(x), static_cast<int>(y), v, weights);
        }
}

void Rasterizer::Shade(int x, int y, const Vertex* v[3], const float weights[3]) {
    // Perspective-correct attributes: interpolate them over w, then divide.
    float perspective[3], rhw = 0.0f;
    for (int i = 0; i < 3; ++i) {
        perspective[i] = weights[i] * (v[i]->rhw > 0.0f ? v[i]->rhw : 1.0f);
        rhw += perspective[i];
    }
    float z = 0.0f, u = 0.0f, tv = 0.0f, diffuse[4] = {};
    for (int i = 0; i < 3; ++i) {
        const float w = perspective[i] / rhw;
        z += weights[i] * v[i]->z;
        u += w * v[i]->u;
        tv += w * v[i]->v;
        for (int channel = 0; channel < 4; ++channel) diffuse[channel] += w * v[i]->colour[channel];
    }

    const uint32_t colour = Combine(diffuse, Sample(u, tv));
    if (m_Device.RenderState(D3DRS_ALPHATESTENABLE) && !AlphaPasses(colour >> 24)) return;

    const UINT px = static_cast<UINT>(x), py = static_cast<UINT>(y);
    if (m_Depth && m_Device.RenderState(D3DRS_ZENABLE) != D3DZB_FALSE) {
        const D3DFORMAT depthFormat = m_Depth->Description().format;
        uint8_t* depth = m_Depth->PixelAt(px, py);
        if (!Compare(m_Device.RenderState(D3DRS_ZFUNC), z,
                     PixelFormat::ReadDepth(depthFormat, depth)))
            return;
        if (m_Device.RenderState(D3DRS_ZWRITEENABLE))
            PixelFormat::WriteDepthStencil(depthFormat, depth, &z, nullptr);
    }
    const uint32_t written = m_Device.RenderState(D3DRS_ALPHABLENDENABLE)
                                 ? Blend(colour, m_Target->ReadArgb(px, py))
                                 : colour;
    m_Target->WriteArgb(px, py, written);
}

uint32_t Rasterizer::Sample(float u, float v) const {
    // A block-compressed texture is not decoded: it reads opaque white. (A
    // stage without a texture reads nothing: see ReadsMissingTexture.)
    if (!m_Texture || PixelFormat::IsCompressed(m_Texture->Format())) return 0xFFFFFFFF;
    const Surface8& level = *m_Texture->Level(0);
    bool border = false;
    u = Address(m_Device.StageState(0, D3DTSS_ADDRESSU), u, border);
    v = Address(m_Device.StageState(0, D3DTSS_ADDRESSV), v, border);
    if (border) return m_Device.StageState(0, D3DTSS_BORDERCOLOR);
    const UINT width = level.Description().width, height = level.Description().height;
    const UINT tx =
        std::min(width - 1, static_cast<UINT>(std::max(0.0f, u * static_cast<float>(width))));
    const UINT ty =
        std::min(height - 1, static_cast<UINT>(std::max(0.0f, v * static_cast<float>(height))));
    return level.ReadArgb(tx, ty);
}

uint32_t Rasterizer::Combine(const float diffuse[4], uint32_t texel) const {
    float texture[4], factor[4];
    Unpack(texel, texture);
    Unpack(m_Device.RenderState(D3DRS_TEXTUREFACTOR), factor);
    auto argument = [&](DWORD arg, int channel) {
        const float* source = diffuse;  // D3DTA_DIFFUSE and D3DTA_CURRENT at stage 0
        if ((arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE) source = texture;
        if ((arg & D3DTA_SELECTMASK) == D3DTA_TFACTOR) source = factor;
        float value = (arg & D3DTA_ALPHAREPLICATE) ? source[kA] : source[channel];
        return (arg & D3DTA_COMPLEMENT) ? 1.0f - value : value;
    };
    const bool textured = m_Texture != nullptr;
    const StageOperation colour = StageOperationOf(m_Device, D3DTSS_COLOROP, D3DTSS_COLORARG1,
                                                   D3DTSS_COLORARG2, textured);
    const StageOperation alpha = StageOperationOf(m_Device, D3DTSS_ALPHAOP, D3DTSS_ALPHAARG1,
                                                  D3DTSS_ALPHAARG2, textured);
    float result[4];
    std::copy(diffuse, diffuse + 4, result);
    // A disabled stage 0 passes the diffuse colour through.
    if (colour.op != D3DTOP_DISABLE)
        for (int channel = kR; channel <= kB; ++channel)
            result[channel] = Operate(colour.op, argument(colour.arg1, channel),
                                      argument(colour.arg2, channel), diffuse[kA], texture[kA]);
    if (colour.op != D3DTOP_DISABLE && alpha.op != D3DTOP_DISABLE)
        result[kA] = Operate(alpha.op, argument(alpha.arg1, kA), argument(alpha.arg2, kA),
                             diffuse[kA], texture[kA]);
    return Pack(result);
}

bool Rasterizer::AlphaPasses(uint32_t alpha) const {
    return Compare(m_Device.RenderState(D3DRS_ALPHAFUNC), alpha,
                   m_Device.RenderState(D3DRS_ALPHAREF) & 0xFF);
}

uint32_t Rasterizer::Blend(uint32_t source, uint32_t dest) const {
    float s[4], d[4], sourceFactor[4], destFactor[4], out[4];
    Unpack(source, s);
    Unpack(dest, d);
    BlendFactor(m_Device.RenderState(D3DRS_SRCBLEND), s, d, sourceFactor);
    BlendFactor(m_Device.RenderState(D3DRS_DESTBLEND), s, d, destFactor);
    for (int i = 0; i < 4; ++i) out[i] = s[i] * sourceFactor[i] + d[i] * destFactor[i];
    return Pack(out);
}

}  // namespace orvd3d8
