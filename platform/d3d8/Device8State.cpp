// Device8: fixed-function state, shaders and the bindings of streams, indices
// and textures.
#include "Device8.h"
#include "IndexBuffer8.h"
#include "Journal.h"
#include "Surface8.h"
#include "Texture8.h"
#include "VertexBuffer8.h"

namespace orvd3d8 {
namespace {

// View, projection, the eight texture matrices and the 256 world matrices.
bool IsTransform(DWORD state) {
    return state == D3DTS_VIEW || state == D3DTS_PROJECTION ||
           (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) ||
           (state >= D3DTS_WORLDMATRIX(0) && state < Device8::kTransformCount);
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX product = {};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            for (int k = 0; k < 4; ++k) product.m[row][column] += a.m[row][k] * b.m[k][column];
    return product;
}

// What LightEnable gives a light that was never set: white, directional,
// pointing along +z.
D3DLIGHT8 DefaultLight() {
    D3DLIGHT8 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    return light;
}

// Handles of created vertex shaders have bit 0 set; FVF codes never do.
bool IsFvfHandle(DWORD handle) { return (handle & 1) == 0; }

}  // namespace

HRESULT Device8::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    ORV_CALL("IDirect3DDevice8::SetTransform", J(state), J(matrix));
    if (!matrix || !IsTransform(state)) return scope.Finish(D3DERR_INVALIDCALL);
    m_Transforms[state] = *matrix;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    ORV_CALL("IDirect3DDevice8::GetTransform", J(state), J(matrix));
    if (!matrix || !IsTransform(state)) return scope.Finish(D3DERR_INVALIDCALL);
    *matrix = m_Transforms[state];
    return scope.Finish(D3D_OK);
}

HRESULT Device8::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    ORV_CALL("IDirect3DDevice8::MultiplyTransform", J(state), J(matrix));
    if (!matrix || !IsTransform(state)) return scope.Finish(D3DERR_INVALIDCALL);
    m_Transforms[state] = Multiply(*matrix, m_Transforms[state]);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::SetViewport(const D3DVIEWPORT8* viewport) {
    ORV_CALL("IDirect3DDevice8::SetViewport", J(viewport));
    if (!viewport) return scope.Finish(D3DERR_INVALIDCALL);
    const Surface8::Desc& target = BackBuffer()->Description();
    if (uint64_t{viewport->X} + viewport->Width > target.width ||
        uint64_t{viewport->Y} + viewport->Height > target.height)
        return scope.Finish(D3DERR_INVALIDCALL);
    m_Viewport = *viewport;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetViewport(D3DVIEWPORT8* viewport) {
    ORV_CALL("IDirect3DDevice8::GetViewport", J(viewport));
    if (!viewport) return scope.Finish(D3DERR_INVALIDCALL);
    *viewport = m_Viewport;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::SetMaterial(const D3DMATERIAL8* material) {
    ORV_CALL("IDirect3DDevice8::SetMaterial", J(material));
    if (!material) return scope.Finish(D3DERR_INVALIDCALL);
    m_Material = *material;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetMaterial(D3DMATERIAL8* material) {
    ORV_CALL("IDirect3DDevice8::GetMaterial", J(material));
    if (!material) return scope.Finish(D3DERR_INVALIDCALL);
    *material = m_Material;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::SetLight(DWORD index, const D3DLIGHT8* light) {
    ORV_CALL("IDirect3DDevice8::SetLight", J(index), J(light));
    if (!light || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL)
        return scope.Finish(D3DERR_INVALIDCALL);
    auto found = m_Lights.find(index);
    bool enabled = found != m_Lights.end() && found->second.enabled;
    m_Lights[index] = Light{*light, enabled};
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetLight(DWORD index, D3DLIGHT8* light) {
    ORV_CALL("IDirect3DDevice8::GetLight", J(index), J(light));
    auto found = m_Lights.find(index);
    if (!light || found == m_Lights.end()) return scope.Finish(D3DERR_INVALIDCALL);
    *light = found->second.light;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::LightEnable(DWORD index, BOOL enable) {
    ORV_CALL("IDirect3DDevice8::LightEnable", J(index), J(enable));
    auto found = m_Lights.find(index);
    if (found == m_Lights.end())
        found = m_Lights.emplace(index, Light{DefaultLight(), false}).first;
    found->second.enabled = enable != FALSE;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetLightEnable(DWORD index, BOOL* enable) {
    ORV_CALL("IDirect3DDevice8::GetLightEnable", J(index), J(enable));
    auto found = m_Lights.find(index);
    if (!enable || found == m_Lights.end()) return scope.Finish(D3DERR_INVALIDCALL);
    *enable = found->second.enabled ? TRUE : FALSE;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::SetClipPlane(DWORD index, const float* plane) {
    ORV_CALL("IDirect3DDevice8::SetClipPlane", J(index), J(plane));
    if (!plane || index >= kMaxClipPlanes) return scope.Finish(D3DERR_INVALIDCALL);
    std::copy(plane, plane + 4, m_ClipPlanes[index].begin());
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetClipPlane(DWORD index, float* plane) {
    ORV_CALL("IDirect3DDevice8::GetClipPlane", J(index), J(plane));
    if (!plane || index >= kMaxClipPlanes) return scope.Finish(D3DERR_INVALIDCALL);
    std::copy(m_ClipPlanes[index].begin(), m_ClipPlanes[index].end(), plane);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    ORV_CALL("IDirect3DDevice8::SetRenderState", J(state), J(value));
    if (!DefaultStates::IsRenderState(state)) return scope.Finish(D3DERR_INVALIDCALL);
    m_RenderStates[state] = value;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    ORV_CALL("IDirect3DDevice8::GetRenderState", J(state), J(value));
    if (!value || !DefaultStates::IsRenderState(state)) return scope.Finish(D3DERR_INVALIDCALL);
    *value = m_RenderStates[state];
    return scope.Finish(D3D_OK);
}

// State blocks are not implemented.
HRESULT Device8::BeginStateBlock() {
    ORV_CALL("IDirect3DDevice8::BeginStateBlock");
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::EndStateBlock(DWORD* token) {
    ORV_CALL("IDirect3DDevice8::EndStateBlock", J(token));
    if (token) *token = 0;
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::ApplyStateBlock(DWORD token) {
    ORV_CALL("IDirect3DDevice8::ApplyStateBlock", J(token));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::CaptureStateBlock(DWORD token) {
    ORV_CALL("IDirect3DDevice8::CaptureStateBlock", J(token));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::DeleteStateBlock(DWORD token) {
    ORV_CALL("IDirect3DDevice8::DeleteStateBlock", J(token));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* token) {
    ORV_CALL("IDirect3DDevice8::CreateStateBlock", J(type), J(token));
    if (token) *token = 0;
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::SetClipStatus(const D3DCLIPSTATUS8* clipStatus) {
    ORV_CALL("IDirect3DDevice8::SetClipStatus", J(clipStatus));
    if (!clipStatus) return scope.Finish(D3DERR_INVALIDCALL);
    m_ClipStatus = *clipStatus;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetClipStatus(D3DCLIPSTATUS8* clipStatus) {
    ORV_CALL("IDirect3DDevice8::GetClipStatus", J(clipStatus));
    if (!clipStatus) return scope.Finish(D3DERR_INVALIDCALL);
    *clipStatus = m_ClipStatus;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) {
    ORV_CALL("IDirect3DDevice8::GetTexture", J(stage), J(texture));
    if (!texture || stage >= kMaxStages) return scope.Finish(D3DERR_INVALIDCALL);
    *texture = m_Textures[stage];
    if (*texture) (*texture)->AddRef();
    return scope.Finish(D3D_OK);
}

HRESULT Device8::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    ORV_CALL("IDirect3DDevice8::SetTexture", J(stage), J(texture));
    Texture8* ours = static_cast<Texture8*>(texture);
    if (stage >= kMaxStages || (ours && ours->Owner() != this))
        return scope.Finish(D3DERR_INVALIDCALL);
    BindTexture(stage, ours);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    ORV_CALL("IDirect3DDevice8::GetTextureStageState", J(stage), J(type), J(value));
    if (!value || stage >= kMaxStages || !DefaultStates::IsStageState(type))
        return scope.Finish(D3DERR_INVALIDCALL);
    *value = m_StageStates[stage][type];
    return scope.Finish(D3D_OK);
}

HRESULT Device8::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    ORV_CALL("IDirect3DDevice8::SetTextureStageState", J(stage), J(type), J(value));
    if (stage >= kMaxStages || !DefaultStates::IsStageState(type))
        return scope.Finish(D3DERR_INVALIDCALL);
    m_StageStates[stage][type] = value;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::ValidateDevice(DWORD* numPasses) {
    ORV_CALL("IDirect3DDevice8::ValidateDevice", J(numPasses));
    if (!numPasses) return scope.Finish(D3DERR_INVALIDCALL);
    *numPasses = 1;
    return scope.Finish(D3D_OK);
}

// No format the adapters offer has a palette.
HRESULT Device8::SetPaletteEntries(UINT paletteNumber, const PALETTEENTRY* entries) {
    ORV_CALL("IDirect3DDevice8::SetPaletteEntries", J(paletteNumber), J(entries));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::GetPaletteEntries(UINT paletteNumber, PALETTEENTRY* entries) {
    ORV_CALL("IDirect3DDevice8::GetPaletteEntries", J(paletteNumber), J(entries));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::SetCurrentTexturePalette(UINT paletteNumber) {
    ORV_CALL("IDirect3DDevice8::SetCurrentTexturePalette", J(paletteNumber));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::GetCurrentTexturePalette(UINT* paletteNumber) {
    ORV_CALL("IDirect3DDevice8::GetCurrentTexturePalette", J(paletteNumber));
    return scope.Finish(E_NOTIMPL);
}

// Fixed function only: vertex shaders are FVF codes, pixel shader 0 is the
// texture stages.
HRESULT Device8::CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle,
                                    DWORD usage) {
    ORV_CALL("IDirect3DDevice8::CreateVertexShader", J(declaration), J(function), J(handle),
             J(usage));
    if (handle) *handle = 0;
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::SetVertexShader(DWORD handle) {
    ORV_CALL("IDirect3DDevice8::SetVertexShader", J(handle));
    if (!IsFvfHandle(handle)) return scope.Finish(D3DERR_INVALIDCALL);
    m_VertexShader = handle;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetVertexShader(DWORD* handle) {
    ORV_CALL("IDirect3DDevice8::GetVertexShader", J(handle));
    if (!handle) return scope.Finish(D3DERR_INVALIDCALL);
    *handle = m_VertexShader;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::DeleteVertexShader(DWORD handle) {
    ORV_CALL("IDirect3DDevice8::DeleteVertexShader", J(handle));
    return scope.Finish(D3DERR_INVALIDCALL);
}

HRESULT Device8::SetVertexShaderConstant(DWORD reg, const void* constantData, DWORD constantCount) {
    ORV_CALL("IDirect3DDevice8::SetVertexShaderConstant", J(reg), J(constantData),
             J(constantCount));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::GetVertexShaderConstant(DWORD reg, void* constantData, DWORD constantCount) {
    ORV_CALL("IDirect3DDevice8::GetVertexShaderConstant", J(reg), J(constantData),
             J(constantCount));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::GetVertexShaderDeclaration(DWORD handle, void* data, DWORD* sizeOfData) {
    ORV_CALL("IDirect3DDevice8::GetVertexShaderDeclaration", J(handle), J(data), J(sizeOfData));
    return scope.Finish(D3DERR_INVALIDCALL);
}

HRESULT Device8::GetVertexShaderFunction(DWORD handle, void* data, DWORD* sizeOfData) {
    ORV_CALL("IDirect3DDevice8::GetVertexShaderFunction", J(handle), J(data), J(sizeOfData));
    return scope.Finish(D3DERR_INVALIDCALL);
}

HRESULT Device8::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData,
                                 UINT stride) {
    ORV_CALL("IDirect3DDevice8::SetStreamSource", J(streamNumber), J(streamData), J(stride));
    VertexBuffer8* buffer = static_cast<VertexBuffer8*>(streamData);
    if (streamNumber >= kMaxStreams || (buffer && buffer->Owner() != this))
        return scope.Finish(D3DERR_INVALIDCALL);
    BindStream(streamNumber, buffer, stride);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** streamData,
                                 UINT* stride) {
    ORV_CALL("IDirect3DDevice8::GetStreamSource", J(streamNumber), J(streamData), J(stride));
    if (!streamData || !stride || streamNumber >= kMaxStreams)
        return scope.Finish(D3DERR_INVALIDCALL);
    const Stream& stream = m_Streams[streamNumber];
    *streamData = stream.buffer;
    *stride = stream.stride;
    if (stream.buffer) stream.buffer->AddRef();
    return scope.Finish(D3D_OK);
}

HRESULT Device8::SetIndices(IDirect3DIndexBuffer8* indexData, UINT baseVertexIndex) {
    ORV_CALL("IDirect3DDevice8::SetIndices", J(indexData), J(baseVertexIndex));
    IndexBuffer8* buffer = static_cast<IndexBuffer8*>(indexData);
    if (buffer && buffer->Owner() != this) return scope.Finish(D3DERR_INVALIDCALL);
    BindIndices(buffer, baseVertexIndex);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetIndices(IDirect3DIndexBuffer8** indexData, UINT* baseVertexIndex) {
    ORV_CALL("IDirect3DDevice8::GetIndices", J(indexData), J(baseVertexIndex));
    if (!indexData || !baseVertexIndex) return scope.Finish(D3DERR_INVALIDCALL);
    *indexData = m_Indices;
    *baseVertexIndex = m_BaseVertexIndex;
    if (m_Indices) m_Indices->AddRef();
    return scope.Finish(D3D_OK);
}

HRESULT Device8::CreatePixelShader(const DWORD* function, DWORD* handle) {
    ORV_CALL("IDirect3DDevice8::CreatePixelShader", J(function), J(handle));
    if (handle) *handle = 0;
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::SetPixelShader(DWORD handle) {
    ORV_CALL("IDirect3DDevice8::SetPixelShader", J(handle));
    return scope.Finish(handle == 0 ? D3D_OK : D3DERR_INVALIDCALL);
}

HRESULT Device8::GetPixelShader(DWORD* handle) {
    ORV_CALL("IDirect3DDevice8::GetPixelShader", J(handle));
    if (!handle) return scope.Finish(D3DERR_INVALIDCALL);
    *handle = 0;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::DeletePixelShader(DWORD handle) {
    ORV_CALL("IDirect3DDevice8::DeletePixelShader", J(handle));
    return scope.Finish(D3DERR_INVALIDCALL);
}

HRESULT Device8::SetPixelShaderConstant(DWORD reg, const void* constantData, DWORD constantCount) {
    ORV_CALL("IDirect3DDevice8::SetPixelShaderConstant", J(reg), J(constantData), J(constantCount));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::GetPixelShaderConstant(DWORD reg, void* constantData, DWORD constantCount) {
    ORV_CALL("IDirect3DDevice8::GetPixelShaderConstant", J(reg), J(constantData), J(constantCount));
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::GetPixelShaderFunction(DWORD handle, void* data, DWORD* sizeOfData) {
    ORV_CALL("IDirect3DDevice8::GetPixelShaderFunction", J(handle), J(data), J(sizeOfData));
    return scope.Finish(D3DERR_INVALIDCALL);
}

}  // namespace orvd3d8
