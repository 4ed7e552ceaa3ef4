// Geometry: vertex and index buffers, the draw operations with their material
// passes, and screen quads.
#include <new>

#include "device/MaterialPasses.h"
#include "device/ResultName.h"
#include "geometry/D3DIndexBuffer.h"
#include "geometry/D3DScreenQuad.h"
#include "geometry/D3DVertexBuffer.h"
#include "host/Kernel.h"
#include "plugin/D3DDriver.h"
#include "state/StateValue.h"
#include "state/ValueTables.h"

namespace {

// Unknown engine types draw points, the table's fallback.
D3DPRIMITIVETYPE D3DTypeOf(PrimitiveType type) {
    return static_cast<D3DPRIMITIVETYPE>(
        state::kPrimitiveTypes.Row(static_cast<unsigned>(type)).d3d);
}

// Lists and strips count towards the scene's triangles; fans do not.
unsigned TrianglesOf(PrimitiveType type, unsigned primitiveCount) {
    const bool counted = type == PRIMITIVE_TRIANGLELIST || type == PRIMITIVE_TRIANGLESTRIP;
    return counted ? primitiveCount : 0;
}

// Engine state numbers and values a screen quad draws with when no material
// is current: stage 0 modulates texture and diffuse, colour and alpha, and the
// result is blended over the frame by its alpha.
using state::StateValue;
constexpr StateValue kQuadStageStates[] = {
    {TEXTURESTATE_COLOROP, TEXTUREOP_MODULATE},
    {TEXTURESTATE_ALPHAOP, TEXTUREOP_MODULATE},
    {TEXTURESTATE_COLORARG1, TEXTUREARG_TEXTURE},
    {TEXTURESTATE_COLORARG2, TEXTUREARG_DIFFUSE},
    {TEXTURESTATE_ALPHAARG1, TEXTUREARG_TEXTURE},
    {TEXTURESTATE_ALPHAARG2, TEXTUREARG_DIFFUSE},
};
static_assert(sizeof kQuadStageStates / sizeof kQuadStageStates[0] == 6, "six stage-0 states");
constexpr StateValue kQuadRenderStates[] = {
    {RENDERSTATE_SRCBLEND, BLEND_SRCALPHA},
    {RENDERSTATE_DESTBLEND, BLEND_INVSRCALPHA},
};
static_assert(sizeof kQuadRenderStates / sizeof kQuadRenderStates[0] == 2, "two blend factors");

constexpr char kBufferDrawFailed[] = "Failed to render D3D vertex buffer. (HR:%s)";
constexpr char kBufferOfClosedDisplay[] = "%s: the buffer's display was closed.";
constexpr char kPointerDrawFailed[] = "Failed to render D3D verts using DrawPrimitiveUP. (HR:%s)";

}  // namespace

// ---- Draws -------------------------------------------------------------------

template <typename Draw>
bool D3DDriver::DrawEachPass(Draw draw, const char* failure, unsigned triangles) {
    MaterialPasses* passes = m_pMaterialPasses;
    if (passes) passes->BeginPasses();
    for (;;) {
        const int more = passes ? passes->ApplyNextPass() : 0;
        const HRESULT hr = draw();
        if (FAILED(hr)) {
            m_pKernel->LogMessage(failure, ResultName(hr));
            if (passes) passes->EndPasses();
            return false;
        }
        m_TriangleCount += triangles;
        if (more != 1) break;
    }
    if (passes) passes->EndPasses();
    return true;
}

D3DDriver::StreamBinding D3DDriver::SaveStreamZero() {
    StreamBinding binding = {nullptr, 0};
    if (FAILED(m_pDevice->GetStreamSource(0, &binding.buffer, &binding.stride)))
        binding = {nullptr, 0};
    return binding;
}

void D3DDriver::RestoreStreamZero(const StreamBinding& binding) {
    m_pDevice->SetStreamSource(0, binding.buffer, binding.stride);
    if (binding.buffer) binding.buffer->Release();
}

// The draws need a display; without one they refuse.

bool D3DDriver::RenderVertexBuffer(PrimitiveType type, unsigned primitiveCount) {
    if (!m_pDevice) return false;
    // The buffer bound before the display changed is not on this device's
    // stream; drawing would read whatever the stream holds.
    if (m_pVertexBuffer && !static_cast<D3DVertexBuffer*>(m_pVertexBuffer)->BelongsTo(m_pDevice)) {
        m_pKernel->LogMessage(kBufferOfClosedDisplay, "Failed to render D3D vertex buffer");
        return false;
    }
    const D3DPRIMITIVETYPE d3dType = D3DTypeOf(type);
    return DrawEachPass([&] { return m_pDevice->DrawPrimitive(d3dType, 0, primitiveCount); },
                        kBufferDrawFailed, TrianglesOf(type, primitiveCount));
}

bool D3DDriver::RenderVertexBufferEx(PrimitiveType type, int, unsigned primitiveCount, int) {
    return RenderVertexBuffer(type, primitiveCount);
}

bool D3DDriver::RenderVertices(PrimitiveType type, unsigned primitiveCount,
                               const Vertex* vertices) {
    if (!m_pDevice) return false;
    if (!vertices) {
        m_pKernel->LogMessage("Failed to render D3D verts using DrawPrimitiveUP: no vertices.");
        return false;
    }
    const StreamBinding saved = SaveStreamZero();
    m_pDevice->SetStreamSource(0, nullptr, 0);
    m_pDevice->SetVertexShader(kVertexFVF);
    const D3DPRIMITIVETYPE d3dType = D3DTypeOf(type);
    const bool drawn = DrawEachPass(
        [&] { return m_pDevice->DrawPrimitiveUP(d3dType, primitiveCount, vertices, kVertexStride); },
        kPointerDrawFailed, TrianglesOf(type, primitiveCount));
    // The user-pointer draw left stream 0 unbound; a failed one is put back too.
    RestoreStreamZero(saved);
    m_pDevice->SetVertexShader(kVertexFVF);
    return drawn;
}

bool D3DDriver::RenderScreenQuad(ScreenQuad* quad) {
    if (!m_pDevice) return false;
    const ScreenVertex* vertices = quad ? quad->GetVertices() : nullptr;
    if (!vertices) {
        m_pKernel->LogMessage("Failed to render screen quad: no quad.");
        return false;
    }
    DWORD shader = kVertexFVF;
    m_pDevice->GetVertexShader(&shader);
    const StreamBinding saved = SaveStreamZero();
    m_pDevice->SetVertexShader(kScreenVertexFVF);
    if (!m_pMaterialPasses) {
        for (const StateValue& row : kQuadStageStates) SetTextureStageState(0, row.state, row.value);
        for (const StateValue& row : kQuadRenderStates) SetRenderState(row.state, row.value);
        SetAlphaBlendEnable(true);
    }
    const bool drawn = DrawEachPass(
        [&] {
            return m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, vertices, kScreenVertexStride);
        },
        kPointerDrawFailed, 0);
    // The user-pointer draw left stream 0 unbound; a failed one is put back too.
    RestoreStreamZero(saved);
    m_pDevice->SetVertexShader(shader);
    return drawn;
}

// ---- Buffers -----------------------------------------------------------------

namespace {

// A buffer for the host, or null when it cannot be allocated or filled.
template <typename Own, typename... Arguments>
Own* MakeBuffer(Kernel* kernel, D3DDriver* driver, Arguments... arguments) {
    Own* buffer = new (std::nothrow) Own(kernel, driver);
    if (buffer && !buffer->Create(arguments...)) {
        delete buffer;
        return nullptr;
    }
    return buffer;
}

// Every buffer the host holds is one this driver made. A null buffer is left
// alone.
template <typename Own, typename Host>
void DestroyBuffer(Host* buffer) {
    if (!buffer) return;
    Own* own = static_cast<Own*>(buffer);
    own->ReleaseResources();
    delete own;
}

}  // namespace

void D3DDriver::BindVertexBuffer(VertexBuffer* buffer) {
    m_pVertexBuffer = buffer;
    if (!m_pDevice) return;
    IDirect3DVertexBuffer8* d3d = buffer ? static_cast<D3DVertexBuffer*>(buffer)->GetD3DBuffer() : nullptr;
    m_pDevice->SetStreamSource(0, d3d, buffer ? kVertexStride : 0);
}

void D3DDriver::BindIndexBuffer(IndexBuffer* buffer) {
    m_pIndexBuffer = buffer;
    if (!m_pDevice) return;
    m_pDevice->SetIndices(buffer ? static_cast<D3DIndexBuffer*>(buffer)->GetD3DBuffer() : nullptr, 0);
}

void D3DDriver::BufferReplaced(VertexBuffer* buffer) {
    if (buffer && buffer == m_pVertexBuffer) BindVertexBuffer(buffer);
}

void D3DDriver::BufferReplaced(IndexBuffer* buffer) {
    if (buffer && buffer == m_pIndexBuffer) BindIndexBuffer(buffer);
}

VertexBuffer* D3DDriver::CreateVertexBuffer(unsigned count, bool dynamic, bool pointSprites) {
    return MakeBuffer<D3DVertexBuffer>(m_pKernel, this, count, dynamic, pointSprites);
}

bool D3DDriver::DestroyVertexBuffer(VertexBuffer* buffer) {
    // A bound buffer leaves the device first: a draw after it is gone must
    // not read what the host gave back.
    if (buffer && buffer == m_pVertexBuffer) BindVertexBuffer(nullptr);
    DestroyBuffer<D3DVertexBuffer>(buffer);
    return true;
}

bool D3DDriver::SetVertexBuffer(VertexBuffer* buffer) {
    if (!m_pDevice) return false;
    if (!buffer) {
        BindVertexBuffer(nullptr);
        return true;
    }
    // Every vertex buffer the host holds is one this driver made.
    D3DVertexBuffer* own = static_cast<D3DVertexBuffer*>(buffer);
    if (!own->BelongsTo(m_pDevice)) {
        m_pKernel->LogMessage(kBufferOfClosedDisplay, "D3DDriver::SetVertexBuffer");
        return false;
    }
    m_pDevice->SetVertexShader(kVertexFVF);
    BindVertexBuffer(buffer);
    return true;
}

IndexBuffer* D3DDriver::CreateIndexBuffer(unsigned count, bool dynamic) {
    return MakeBuffer<D3DIndexBuffer>(m_pKernel, this, count, dynamic);
}

bool D3DDriver::DestroyIndexBuffer(IndexBuffer* buffer) {
    if (buffer && buffer == m_pIndexBuffer) BindIndexBuffer(nullptr);
    DestroyBuffer<D3DIndexBuffer>(buffer);
    return true;
}

bool D3DDriver::SetIndexBuffer(IndexBuffer* buffer) {
    if (!m_pDevice) return false;
    // Every index buffer the host holds is one this driver made.
    D3DIndexBuffer* own = static_cast<D3DIndexBuffer*>(buffer);
    if (own && !own->BelongsTo(m_pDevice)) {
        m_pKernel->LogMessage(kBufferOfClosedDisplay, "D3DDriver::SetIndexBuffer");
        return false;
    }
    BindIndexBuffer(buffer);
    return true;
}

// ---- Screen quads --------------------------------------------------------------

ScreenQuad* D3DDriver::CreateScreenQuad(RECT rect, unsigned long colour) {
    D3DScreenQuad* quad = new (std::nothrow) D3DScreenQuad(this);
    if (!quad) return nullptr;
    if (!quad->Create(rect, static_cast<uint32_t>(colour))) {
        delete quad;
        return nullptr;
    }
    return quad;
}

bool D3DDriver::DestroyScreenQuad(ScreenQuad* quad) {
    delete quad;
    return true;
}
