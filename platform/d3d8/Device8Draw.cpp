// Device8: scenes, clears and draws.
#include <algorithm>

#include "Device8.h"
#include "IndexBuffer8.h"
#include "Journal.h"
#include "PixelFormat.h"
#include "Rasterizer.h"
#include "Runtime.h"
#include "Surface8.h"
#include "Texture8.h"
#include "VertexBuffer8.h"

namespace orvd3d8 {
namespace {

constexpr size_t kRecordedDraws = 4096;
constexpr DWORD kClearFlags = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;

// Vertices (or indices) one draw reads for `count` primitives; 0 for an
// unknown primitive type.
UINT ElementCount(D3DPRIMITIVETYPE type, UINT count) {
    switch (type) {
        case D3DPT_POINTLIST: return count;
        case D3DPT_LINELIST: return count * 2;
        case D3DPT_LINESTRIP: return count + 1;
        case D3DPT_TRIANGLELIST: return count * 3;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: return count + 2;
        default: return 0;
    }
}

uint32_t ReadIndex(const uint8_t* indices, UINT size, UINT i) {
    const uint8_t* at = indices + static_cast<size_t>(i) * size;
    uint32_t value = at[0] | (static_cast<uint32_t>(at[1]) << 8);
    if (size == 4)
        value |= (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
    return value;
}

// `rect` clipped to `area`; false when nothing is left.
bool Clip(const D3DRECT& rect, const D3DRECT& area, D3DRECT& clipped) {
    clipped = {std::max(rect.x1, area.x1), std::max(rect.y1, area.y1), std::min(rect.x2, area.x2),
               std::min(rect.y2, area.y2)};
    return clipped.x1 < clipped.x2 && clipped.y1 < clipped.y2;
}

// Every pixel of `area` set to the `bytes` bytes of `pixel`: the first row
// pixel by pixel, the others copied from it.
void Fill(Surface8& surface, const D3DRECT& area, const uint8_t* pixel, UINT bytes) {
    const UINT x1 = static_cast<UINT>(area.x1), y1 = static_cast<UINT>(area.y1);
    const size_t rowBytes = static_cast<size_t>(area.x2 - area.x1) * bytes;
    uint8_t* first = surface.PixelAt(x1, y1);
    for (size_t at = 0; at < rowBytes; at += bytes) std::copy(pixel, pixel + bytes, first + at);
    for (UINT y = y1 + 1; y < static_cast<UINT>(area.y2); ++y)
        std::copy(first, first + rowBytes, surface.PixelAt(x1, y));
}

}  // namespace

HRESULT Device8::BeginScene() {
    ORV_CALL("IDirect3DDevice8::BeginScene");
    if (m_InScene) return scope.Finish(D3DERR_INVALIDCALL);
    m_InScene = true;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::EndScene() {
    ORV_CALL("IDirect3DDevice8::EndScene");
    if (!m_InScene) return scope.Finish(D3DERR_INVALIDCALL);
    m_InScene = false;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                       DWORD stencil) {
    ORV_CALL("IDirect3DDevice8::Clear", J(count), J(rects), J(flags), J(color), J(z), J(stencil));
    if (flags & ~kClearFlags) return scope.Finish(D3DERR_INVALIDCALL);
    // Depth and stencil clears need a buffer that has them.
    const D3DFORMAT depthFormat =
        m_DepthStencil ? m_DepthStencil->Description().format : D3DFMT_UNKNOWN;
    if (((flags & D3DCLEAR_ZBUFFER) && !m_DepthStencil) ||
        ((flags & D3DCLEAR_STENCIL) && !PixelFormat::HasStencil(depthFormat)))
        return scope.Finish(D3DERR_INVALIDCALL);

    const D3DRECT viewport = {static_cast<LONG>(m_Viewport.X), static_cast<LONG>(m_Viewport.Y),
                              static_cast<LONG>(m_Viewport.X + m_Viewport.Width),
                              static_cast<LONG>(m_Viewport.Y + m_Viewport.Height)};
    // Rectangles without a count (or a count without rectangles) clear the
    // whole viewport.
    const bool whole = count == 0 || !rects;
    const DWORD areas = whole ? 1 : count;
    Surface8& target = *BackBuffer();
    uint8_t colour[4] = {};
    PixelFormat::FromArgb(target.Description().format, color, colour);
    const UINT colourBytes = PixelFormat::Find(target.Description().format)->bytesPerPixel;
    const float* depth = (flags & D3DCLEAR_ZBUFFER) ? &z : nullptr;
    const DWORD* stencilValue = (flags & D3DCLEAR_STENCIL) ? &stencil : nullptr;
    // A clear that writes depth and stencil (where there is one) gives every
    // pixel the same bytes; one that writes only one of them keeps the other.
    const bool wholeDepthPixel = depth && (stencilValue || !PixelFormat::HasStencil(depthFormat));
    for (DWORD i = 0; i < areas; ++i) {
        D3DRECT area;
        if (!Clip(whole ? viewport : rects[i], viewport, area)) continue;
        if (flags & D3DCLEAR_TARGET) Fill(target, area, colour, colourBytes);
        if (!depth && !stencilValue) continue;
        if (wholeDepthPixel) {
            uint8_t pixel[4] = {};
            const UINT depthBytes = PixelFormat::Find(depthFormat)->bytesPerPixel;
            const uint8_t* first =
                m_DepthStencil->PixelAt(static_cast<UINT>(area.x1), static_cast<UINT>(area.y1));
            std::copy_n(first, depthBytes, pixel);
            PixelFormat::WriteDepthStencil(depthFormat, pixel, depth, stencilValue);
            Fill(*m_DepthStencil, area, pixel, depthBytes);
            continue;
        }
        for (LONG y = area.y1; y < area.y2; ++y)
            for (LONG x = area.x1; x < area.x2; ++x) {
                uint8_t* pixel =
                    m_DepthStencil->PixelAt(static_cast<UINT>(x), static_cast<UINT>(y));
                PixelFormat::WriteDepthStencil(depthFormat, pixel, depth, stencilValue);
            }
    }
    return scope.Finish(D3D_OK);
}

HRESULT Device8::ValidateDrawState(D3DPRIMITIVETYPE type) const {
    if (!m_InScene || m_VertexShader == 0 || ElementCount(type, 1) == 0) return D3DERR_INVALIDCALL;
    return D3D_OK;
}

void Device8::Record(DrawKind kind, D3DPRIMITIVETYPE type, UINT primitiveCount, UINT firstVertex,
                     UINT vertexCount, UINT indexCount, UINT minIndex, UINT startIndex,
                     const DrawSource& source) {
    DrawRecord record;
    record.kind = kind;
    record.primitiveType = type;
    record.primitiveCount = primitiveCount;
    record.vertexShader = m_VertexShader;
    record.stride = source.stride;
    record.firstVertex = firstVertex;
    record.vertexCount = vertexCount;
    const uint8_t* first = source.vertexData + static_cast<size_t>(firstVertex) * source.stride;
    record.vertices.assign(first, first + static_cast<size_t>(vertexCount) * source.stride);
    record.baseVertexIndex = source.indexData ? source.baseVertexIndex : 0;
    record.minIndex = minIndex;
    record.startIndex = startIndex;
    for (UINT i = 0; i < indexCount; ++i)
        record.indices.push_back(ReadIndex(source.indexData, source.indexSize, i));
    record.texture0 = m_Textures[0];
    m_Draws.push_back(std::move(record));
    if (m_Draws.size() > kRecordedDraws) m_Draws.pop_front();

    if (Runtime::Get().RasterizerEnabled())
        Rasterizer(*this).Draw(type, ElementCount(type, primitiveCount), source);
}

HRESULT Device8::DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                               UINT primitiveCount) {
    ORV_CALL("IDirect3DDevice8::DrawPrimitive", J(primitiveType), J(startVertex),
             J(primitiveCount));
    if (primitiveCount == 0) return scope.Finish(D3D_OK);
    HRESULT valid = ValidateDrawState(primitiveType);
    if (FAILED(valid)) return scope.Finish(valid);
    const Stream& stream = m_Streams[0];
    const UINT vertexCount = ElementCount(primitiveType, primitiveCount);
    if (!stream.buffer || stream.stride == 0 ||
        (uint64_t{startVertex} + vertexCount) * stream.stride > stream.buffer->Storage().Length())
        return scope.Finish(D3DERR_INVALIDCALL);
    DrawSource source;
    source.vertexData = stream.buffer->Storage().Data();
    source.stride = stream.stride;
    source.baseVertexIndex = startVertex;
    Record(DrawKind::Primitive, primitiveType, primitiveCount, startVertex, vertexCount, 0, 0, 0,
           source);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::DrawIndexedPrimitive(D3DPRIMITIVETYPE primitiveType, UINT minIndex,
                                      UINT numVertices, UINT startIndex, UINT primitiveCount) {
    ORV_CALL("IDirect3DDevice8::DrawIndexedPrimitive", J(primitiveType), J(minIndex),
             J(numVertices), J(startIndex), J(primitiveCount));
    if (primitiveCount == 0) return scope.Finish(D3D_OK);
    HRESULT valid = ValidateDrawState(primitiveType);
    if (FAILED(valid)) return scope.Finish(valid);
    const Stream& stream = m_Streams[0];
    if (!stream.buffer || stream.stride == 0 || !m_Indices) return scope.Finish(D3DERR_INVALIDCALL);
    const UINT indexCount = ElementCount(primitiveType, primitiveCount);
    const UINT indexSize = m_Indices->IndexSize();
    const uint64_t vertexCapacity = stream.buffer->Storage().Length() / stream.stride;
    if ((uint64_t{startIndex} + indexCount) * indexSize > m_Indices->Storage().Length() ||
        uint64_t{m_BaseVertexIndex} + minIndex + numVertices > vertexCapacity)
        return scope.Finish(D3DERR_INVALIDCALL);
    DrawSource source;
    source.vertexData = stream.buffer->Storage().Data();
    source.stride = stream.stride;
    source.indexData = m_Indices->Storage().Data() + static_cast<size_t>(startIndex) * indexSize;
    source.indexSize = indexSize;
    source.baseVertexIndex = m_BaseVertexIndex;
    // An index that leads past the vertex buffer would read foreign memory.
    for (UINT i = 0; i < indexCount; ++i)
        if (m_BaseVertexIndex + uint64_t{ReadIndex(source.indexData, indexSize, i)} >=
            vertexCapacity)
            return scope.Finish(D3DERR_INVALIDCALL);
    Record(DrawKind::IndexedPrimitive, primitiveType, primitiveCount, m_BaseVertexIndex + minIndex,
           numVertices, indexCount, minIndex, startIndex, source);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                                 const void* vertexStreamZeroData, UINT vertexStreamZeroStride) {
    ORV_CALL("IDirect3DDevice8::DrawPrimitiveUP", J(primitiveType), J(primitiveCount),
             J(vertexStreamZeroData), J(vertexStreamZeroStride));
    if (primitiveCount == 0) return scope.Finish(D3D_OK);
    HRESULT valid = ValidateDrawState(primitiveType);
    if (FAILED(valid)) return scope.Finish(valid);
    if (!vertexStreamZeroData || vertexStreamZeroStride == 0)
        return scope.Finish(D3DERR_INVALIDCALL);
    DrawSource source;
    source.vertexData = static_cast<const uint8_t*>(vertexStreamZeroData);
    source.stride = vertexStreamZeroStride;
    Record(DrawKind::PrimitiveUP, primitiveType, primitiveCount, 0,
           ElementCount(primitiveType, primitiveCount), 0, 0, 0, source);
    // The real runtime leaves stream 0 unbound after a user-pointer draw.
    BindStream(0, nullptr, 0);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT minVertexIndex,
                                        UINT numVertexIndices, UINT primitiveCount,
                                        const void* indexData, D3DFORMAT indexDataFormat,
                                        const void* vertexStreamZeroData,
                                        UINT vertexStreamZeroStride) {
    ORV_CALL("IDirect3DDevice8::DrawIndexedPrimitiveUP", J(primitiveType), J(minVertexIndex),
             J(numVertexIndices), J(primitiveCount), J(indexData), J(indexDataFormat),
             J(vertexStreamZeroData), J(vertexStreamZeroStride));
    if (primitiveCount == 0) return scope.Finish(D3D_OK);
    HRESULT valid = ValidateDrawState(primitiveType);
    if (FAILED(valid)) return scope.Finish(valid);
    if (!indexData || !vertexStreamZeroData || vertexStreamZeroStride == 0 ||
        (indexDataFormat != D3DFMT_INDEX16 && indexDataFormat != D3DFMT_INDEX32))
        return scope.Finish(D3DERR_INVALIDCALL);
    DrawSource source;
    source.vertexData = static_cast<const uint8_t*>(vertexStreamZeroData);
    source.stride = vertexStreamZeroStride;
    source.indexData = static_cast<const uint8_t*>(indexData);
    source.indexSize = indexDataFormat == D3DFMT_INDEX32 ? 4 : 2;
    const UINT indexCount = ElementCount(primitiveType, primitiveCount);
    // The caller's array holds minVertexIndex + numVertexIndices vertices.
    for (UINT i = 0; i < indexCount; ++i)
        if (ReadIndex(source.indexData, source.indexSize, i) >=
            uint64_t{minVertexIndex} + numVertexIndices)
            return scope.Finish(D3DERR_INVALIDCALL);
    Record(DrawKind::IndexedPrimitiveUP, primitiveType, primitiveCount, minVertexIndex,
           numVertexIndices, indexCount, minVertexIndex, 0, source);
    // The real runtime leaves stream 0 and the indices unbound afterwards.
    BindStream(0, nullptr, 0);
    BindIndices(nullptr, 0);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::ProcessVertices(UINT srcStartIndex, UINT destIndex, UINT vertexCount,
                                 IDirect3DVertexBuffer8* destBuffer, DWORD flags) {
    ORV_CALL("IDirect3DDevice8::ProcessVertices", J(srcStartIndex), J(destIndex), J(vertexCount),
             J(destBuffer), J(flags));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::DrawRectPatch(UINT handle, const float* numSegs,
                               const D3DRECTPATCH_INFO* rectPatchInfo) {
    ORV_CALL("IDirect3DDevice8::DrawRectPatch", J(handle), J(numSegs), J(rectPatchInfo));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::DrawTriPatch(UINT handle, const float* numSegs,
                              const D3DTRIPATCH_INFO* triPatchInfo) {
    ORV_CALL("IDirect3DDevice8::DrawTriPatch", J(handle), J(numSegs), J(triPatchInfo));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::DeletePatch(UINT handle) {
    ORV_CALL("IDirect3DDevice8::DeletePatch", J(handle));
    return scope.Finish(E_NOTIMPL);
}

}  // namespace orvd3d8
