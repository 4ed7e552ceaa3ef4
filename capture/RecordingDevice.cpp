#include "capture/RecordingDevice.h"

#include <cstdarg>

#include "capture/FormattedText.h"
#include "capture/RecordingFont.h"
#include "capture/RecordingIndexBuffer.h"
#include "capture/RecordingMaterial.h"
#include "capture/RecordingQuad.h"
#include "capture/RecordingTexture.h"
#include "capture/RecordingVertexBuffer.h"
#include "capture/VertexCounts.h"

namespace orvcapture {

RecordingDevice::RecordingDevice(std::unique_ptr<SessionRecorder> session, RenderDevice* inner)
    : Recorded(*session, kKind, inner), m_pSession(std::move(session)), m_pInner(inner) {}

RecordingDevice::~RecordingDevice() {
    {
        CallRecord record(m_Recorder, Operation::Device_Destroy, m_Number);
        delete m_pInner;
    }
    m_pSession->End();
}

template <typename Wrapper, typename Call, typename... A>
auto RecordingDevice::HandOut(Operation op, Call&& call, const A&... args) -> decltype(call()) {
    CallRecord record(m_Recorder, op, m_Number);
    record.Args(args...);
    bool isNew = false;
    Wrapper* wrapper = m_Recorder.Wrap<Wrapper>(call(), &isNew);
    record.Results(ObjectValue{wrapper ? wrapper->Number() : 0, isNew});
    return wrapper;
}

template <typename Inner, typename Call>
bool RecordingDevice::GiveBack(Operation op, Inner* object, bool destroys, Call&& call) {
    Recorded* wrapper = m_Recorder.Find(object);
    uint32_t number = 0;
    Inner* inner = m_Recorder.Unwrap(object, &number);
    const bool given = Rec(op, [&] { return call(inner); }, ObjectValue{number});
    if (given && destroys && wrapper) m_Recorder.Forget(wrapper);
    return given;
}

template <typename Record, typename Call>
void RecordingDevice::TakeRecord(Operation op, const Record* record, Call&& call) {
    CallRecord call_(m_Recorder, op, m_Number);
    if (record)
        call_.Arguments(1).PutBytes(record, sizeof *record);
    else
        call_.Arguments(1).PutPointer(nullptr);
    call();
    call_.Results();
}

bool RecordingDevice::GetAdapterInfo(unsigned adapter, AdapterInfo* info) {
    CallRecord record(m_Recorder, Operation::Device_GetAdapterInfo, m_Number);
    record.Args(adapter);
    record.Arguments(1).PutPointer(info);
    const bool got = m_pInner->GetAdapterInfo(adapter, info);
    if (info)
        record.Results(got, info->adapter, info->description.c_str());
    else
        record.Results(got);
    return got;
}

bool RecordingDevice::GetDisplayModeInfo(unsigned adapter, unsigned index, DisplayMode* mode) {
    CallRecord record(m_Recorder, Operation::Device_GetDisplayModeInfo, m_Number);
    record.Args(adapter, index);
    record.Arguments(1).PutPointer(mode);
    const bool got = m_pInner->GetDisplayModeInfo(adapter, index, mode);
    if (mode)
        record.Results(got, *mode);
    else
        record.Results(got);
    return got;
}

bool RecordingDevice::ValidateDisplayMode(const DisplayMode* mode) {
    CallRecord record(m_Recorder, Operation::Device_ValidateDisplayMode, m_Number);
    if (mode)
        record.Arguments(1).PutBytes(mode, sizeof *mode);
    else
        record.Arguments(1).PutPointer(nullptr);
    const bool valid = m_pInner->ValidateDisplayMode(mode);
    record.Results(valid);
    return valid;
}

bool RecordingDevice::SetDisplayMode(const DisplayMode* mode) {
    CallRecord record(m_Recorder, Operation::Device_SetDisplayMode2, m_Number);
    if (mode)
        record.Arguments(1).PutBytes(mode, sizeof *mode);
    else
        record.Arguments(1).PutPointer(nullptr);
    const bool set = m_pInner->SetDisplayMode(mode);
    record.Results(set);
    return set;
}

DisplayMode* RecordingDevice::GetDisplayMode(DisplayMode* mode) {
    CallRecord record(m_Recorder, Operation::Device_GetDisplayMode, m_Number);
    record.Arguments(1).PutPointer(mode);
    DisplayMode* got = m_pInner->GetDisplayMode(mode);
    ValueWriter& results = record.ResultValues(1);
    results.PutPointer(got);
    if (got) record.Results(*got);
    return got;
}

unsigned long RecordingDevice::ToD3DColor(const Color& colour) {
    return Rec(Operation::Device_ToD3DColor, [&] { return m_pInner->ToD3DColor(colour); }, colour);
}

void RecordingDevice::SetWorldMatrix(const Matrix3D* m) {
    TakeRecord(Operation::Device_SetWorldMatrix, m, [&] { m_pInner->SetWorldMatrix(m); });
}
void RecordingDevice::SetViewMatrix(const Matrix3D* m) {
    TakeRecord(Operation::Device_SetViewMatrix, m, [&] { m_pInner->SetViewMatrix(m); });
}
void RecordingDevice::SetProjectionMatrix(const Matrix3D* m) {
    TakeRecord(Operation::Device_SetProjectionMatrix, m, [&] { m_pInner->SetProjectionMatrix(m); });
}

bool RecordingDevice::EndScene() {
    bool ended;
    {
        CallRecord record(m_Recorder, Operation::Device_EndScene, m_Number);
        ended = m_pInner->EndScene();
        record.Results(ended);
    }
    return ended;
}

void RecordingDevice::SetLight(unsigned index, const LightDesc* light) {
    CallRecord record(m_Recorder, Operation::Device_SetLight, m_Number);
    record.Args(index);
    if (light)
        record.Arguments(1).PutBytes(light, sizeof *light);
    else
        record.Arguments(1).PutPointer(nullptr);
    m_pInner->SetLight(index, light);
    record.Results();
}

Material* RecordingDevice::LoadMaterial(const char* path) {
    return HandOut<RecordingMaterial>(Operation::Device_LoadMaterial, [&] { return m_pInner->LoadMaterial(path); },
                                      path);
}

Material* RecordingDevice::CreateMaterial() {
    return HandOut<RecordingMaterial>(Operation::Device_CreateMaterial, [&] { return m_pInner->CreateMaterial(); });
}

bool RecordingDevice::ReleaseMaterial(Material* material) {
    Recorded* wrapper = m_Recorder.Find(material);
    const bool last = wrapper && !wrapper->Gone() &&
                      static_cast<Material*>(wrapper->InnerObject())->GetRefCount() == 1;
    return GiveBack(Operation::Device_ReleaseMaterial, material, last,
                    [&](Material* inner) { return m_pInner->ReleaseMaterial(inner); });
}

bool RecordingDevice::SetMaterial(Material* material) {
    return GiveBack(Operation::Device_SetMaterial, material, false,
                    [&](Material* inner) { return m_pInner->SetMaterial(inner); });
}

Material* RecordingDevice::GetMaterial() {
    return HandOut<RecordingMaterial>(Operation::Device_GetMaterial, [&] { return m_pInner->GetMaterial(); });
}

Texture* RecordingDevice::CreateTexture(unsigned width, unsigned height, bool mipmaps, unsigned frameCount) {
    return HandOut<RecordingTexture>(Operation::Device_CreateTexture,
                                     [&] { return m_pInner->CreateTexture(width, height, mipmaps, frameCount); },
                                     width, height, mipmaps, frameCount);
}

Texture* RecordingDevice::CreateTextureFromFile(const char* fileName, bool mipmaps, bool unique) {
    return HandOut<RecordingTexture>(Operation::Device_CreateTextureFromFile,
                                     [&] { return m_pInner->CreateTextureFromFile(fileName, mipmaps, unique); },
                                     fileName, mipmaps, unique);
}

Texture* RecordingDevice::CreateTextureFromFileSequence(const char* fileName, int framesPerSecond, bool mipmaps,
                                                        bool unique) {
    return HandOut<RecordingTexture>(
        Operation::Device_CreateTextureFromFileSequence,
        [&] { return m_pInner->CreateTextureFromFileSequence(fileName, framesPerSecond, mipmaps, unique); },
        fileName, framesPerSecond, mipmaps, unique);
}

bool RecordingDevice::ReleaseTexture(Texture* texture) {
    Recorded* wrapper = m_Recorder.Find(texture);
    const bool last = wrapper && !wrapper->Gone() &&
                      static_cast<Texture*>(wrapper->InnerObject())->GetRefCount() == 1;
    return GiveBack(Operation::Device_ReleaseTexture, texture, last,
                    [&](Texture* inner) { return m_pInner->ReleaseTexture(inner); });
}

void RecordingDevice::SetTexture(unsigned stage, Texture* texture) {
    uint32_t number = 0;
    Texture* inner = m_Recorder.Unwrap(texture, &number);
    Rec(Operation::Device_SetTexture, [&] { m_pInner->SetTexture(stage, inner); }, stage, ObjectValue{number});
}

bool RecordingDevice::RenderVertices(PrimitiveType type, unsigned primitiveCount, const Vertex* vertices) {
    CallRecord record(m_Recorder, Operation::Device_RenderVertices, m_Number);
    record.Args(type, primitiveCount);
    const uint64_t bytes = VertexCountOf(type, primitiveCount) * sizeof(Vertex);
    if (vertices && bytes <= kMaxValueBytes)
        record.Arguments(1).PutBytes(vertices, static_cast<size_t>(bytes));
    else
        record.Arguments(1).PutPointer(vertices);
    const bool drawn = m_pInner->RenderVertices(type, primitiveCount, vertices);
    record.Results(drawn);
    return drawn;
}

bool RecordingDevice::RenderScreenQuad(ScreenQuad* quad) {
    m_Recorder.BeforeDeviceCall(m_Recorder.Find(quad));
    return GiveBack(Operation::Device_RenderScreenQuad, quad, false,
                    [&](ScreenQuad* inner) { return m_pInner->RenderScreenQuad(inner); });
}

VertexBuffer* RecordingDevice::CreateVertexBuffer(unsigned count, bool dynamic, bool pointSprites) {
    return HandOut<RecordingVertexBuffer>(Operation::Device_CreateVertexBuffer,
                                          [&] { return m_pInner->CreateVertexBuffer(count, dynamic, pointSprites); },
                                          count, dynamic, pointSprites);
}

bool RecordingDevice::DestroyVertexBuffer(VertexBuffer* buffer) {
    return GiveBack(Operation::Device_DestroyVertexBuffer, buffer, true,
                    [&](VertexBuffer* inner) { return m_pInner->DestroyVertexBuffer(inner); });
}

bool RecordingDevice::SetVertexBuffer(VertexBuffer* buffer) {
    return GiveBack(Operation::Device_SetVertexBuffer, buffer, false,
                    [&](VertexBuffer* inner) { return m_pInner->SetVertexBuffer(inner); });
}

IndexBuffer* RecordingDevice::CreateIndexBuffer(unsigned count, bool dynamic) {
    return HandOut<RecordingIndexBuffer>(Operation::Device_CreateIndexBuffer,
                                         [&] { return m_pInner->CreateIndexBuffer(count, dynamic); }, count, dynamic);
}

bool RecordingDevice::DestroyIndexBuffer(IndexBuffer* buffer) {
    return GiveBack(Operation::Device_DestroyIndexBuffer, buffer, true,
                    [&](IndexBuffer* inner) { return m_pInner->DestroyIndexBuffer(inner); });
}

bool RecordingDevice::SetIndexBuffer(IndexBuffer* buffer) {
    return GiveBack(Operation::Device_SetIndexBuffer, buffer, false,
                    [&](IndexBuffer* inner) { return m_pInner->SetIndexBuffer(inner); });
}

Font* RecordingDevice::CreateTextFont(const char* typeface, unsigned pointHeight, bool bold, bool italic) {
    return HandOut<RecordingFont>(Operation::Device_CreateTextFont,
                                  [&] { return m_pInner->CreateTextFont(typeface, pointHeight, bold, italic); },
                                  typeface, pointHeight, bold, italic);
}

bool RecordingDevice::DestroyTextFont(Font* font) {
    return GiveBack(Operation::Device_DestroyTextFont, font, true,
                    [&](Font* inner) { return m_pInner->DestroyTextFont(inner); });
}

ScreenQuad* RecordingDevice::CreateScreenQuad(RECT rect, unsigned long colour) {
    return HandOut<RecordingQuad>(Operation::Device_CreateScreenQuad,
                                  [&] { return m_pInner->CreateScreenQuad(rect, colour); }, rect, colour);
}

bool RecordingDevice::DestroyScreenQuad(ScreenQuad* quad) {
    return GiveBack(Operation::Device_DestroyScreenQuad, quad, true,
                    [&](ScreenQuad* inner) { return m_pInner->DestroyScreenQuad(inner); });
}

bool RecordingDevice::PrintText(int x, int y, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::string text = FormatText(format, arguments);
    va_end(arguments);
    const char* line = text.c_str();
    return Rec(Operation::Device_PrintText, [&] { return m_pInner->PrintText(x, y, "%s", line); }, x, y, line);
}


bool RecordingDevice::Shutdown() {
    return Rec(Operation::Device_Shutdown, [&] { return m_pInner->Shutdown(); });
}

unsigned RecordingDevice::GetAdapterCount() {
    return Rec(Operation::Device_GetAdapterCount, [&] { return m_pInner->GetAdapterCount(); });
}

unsigned RecordingDevice::GetDisplayModeCount(unsigned adapter) {
    return Rec(Operation::Device_GetDisplayModeCount, [&] { return m_pInner->GetDisplayModeCount(adapter); }, adapter);
}

bool RecordingDevice::SetDisplayMode(unsigned width, unsigned height, unsigned bitsPerPixel, unsigned refreshRate, unsigned adapter, bool windowed) {
    return Rec(Operation::Device_SetDisplayMode, [&] { return m_pInner->SetDisplayMode(width, height, bitsPerPixel, refreshRate, adapter, windowed); }, width, height, bitsPerPixel, refreshRate, adapter, windowed);
}

bool RecordingDevice::CloseDisplay() {
    return Rec(Operation::Device_CloseDisplay, [&] { return m_pInner->CloseDisplay(); });
}

bool RecordingDevice::ResetDevice() {
    return Rec(Operation::Device_ResetDevice, [&] { return m_pInner->ResetDevice(); });
}

Color RecordingDevice::FromD3DColor(unsigned long argb) {
    return Rec(Operation::Device_FromD3DColor, [&] { return m_pInner->FromD3DColor(argb); }, argb);
}

Matrix3D RecordingDevice::GetWorldMatrix() {
    return Rec(Operation::Device_GetWorldMatrix, [&] { return m_pInner->GetWorldMatrix(); });
}

Matrix3D RecordingDevice::GetViewMatrix() {
    return Rec(Operation::Device_GetViewMatrix, [&] { return m_pInner->GetViewMatrix(); });
}

Matrix3D RecordingDevice::GetProjectionMatrix() {
    return Rec(Operation::Device_GetProjectionMatrix, [&] { return m_pInner->GetProjectionMatrix(); });
}

Matrix3D RecordingDevice::BuildPerspectiveMatrix(float fovY, float aspect) {
    return Rec(Operation::Device_BuildPerspectiveMatrix, [&] { return m_pInner->BuildPerspectiveMatrix(fovY, aspect); }, fovY, aspect);
}

Matrix3D RecordingDevice::BuildOrthoMatrix(float width, float height) {
    return Rec(Operation::Device_BuildOrthoMatrix, [&] { return m_pInner->BuildOrthoMatrix(width, height); }, width, height);
}

bool RecordingDevice::BeginScene() {
    return Rec(Operation::Device_BeginScene, [&] { return m_pInner->BeginScene(); });
}

bool RecordingDevice::Clear(bool colour, bool depth, bool stencil) {
    return Rec(Operation::Device_Clear, [&] { return m_pInner->Clear(colour, depth, stencil); }, colour, depth, stencil);
}

void RecordingDevice::SetClearColor(unsigned long argb) {
    Rec(Operation::Device_SetClearColor, [&] { m_pInner->SetClearColor(argb); }, argb);
}

void RecordingDevice::SetClearDepth(float depth) {
    Rec(Operation::Device_SetClearDepth, [&] { m_pInner->SetClearDepth(depth); }, depth);
}

void RecordingDevice::SetClearStencil(unsigned long stencil) {
    Rec(Operation::Device_SetClearStencil, [&] { m_pInner->SetClearStencil(stencil); }, stencil);
}

void RecordingDevice::SetViewport(int left, int right, int top, int bottom) {
    Rec(Operation::Device_SetViewport, [&] { m_pInner->SetViewport(left, right, top, bottom); }, left, right, top, bottom);
}

bool RecordingDevice::SaveScreenShot(const char* fileName) {
    return Rec(Operation::Device_SaveScreenShot, [&] { return m_pInner->SaveScreenShot(fileName); }, fileName);
}

void RecordingDevice::SetDefaultStates() {
    Rec(Operation::Device_SetDefaultStates, [&] { m_pInner->SetDefaultStates(); });
}

void RecordingDevice::SetRenderState(unsigned state, unsigned value) {
    Rec(Operation::Device_SetRenderState, [&] { m_pInner->SetRenderState(state, value); }, state, value);
}

void RecordingDevice::SetShadeMode(unsigned mode) {
    Rec(Operation::Device_SetShadeMode, [&] { m_pInner->SetShadeMode(mode); }, mode);
}

void RecordingDevice::SetFillMode(unsigned mode) {
    Rec(Operation::Device_SetFillMode, [&] { m_pInner->SetFillMode(mode); }, mode);
}

void RecordingDevice::SetCullMode(unsigned mode) {
    Rec(Operation::Device_SetCullMode, [&] { m_pInner->SetCullMode(mode); }, mode);
}

void RecordingDevice::SetZEnable(bool enable) {
    Rec(Operation::Device_SetZEnable, [&] { m_pInner->SetZEnable(enable); }, enable);
}

bool RecordingDevice::GetZEnable() {
    return Rec(Operation::Device_GetZEnable, [&] { return m_pInner->GetZEnable(); });
}

void RecordingDevice::SetZFunc(unsigned func) {
    Rec(Operation::Device_SetZFunc, [&] { m_pInner->SetZFunc(func); }, func);
}

void RecordingDevice::SetAlphaBlendEnable(bool enable) {
    Rec(Operation::Device_SetAlphaBlendEnable, [&] { m_pInner->SetAlphaBlendEnable(enable); }, enable);
}

bool RecordingDevice::GetAlphaBlendEnable() {
    return Rec(Operation::Device_GetAlphaBlendEnable, [&] { return m_pInner->GetAlphaBlendEnable(); });
}

void RecordingDevice::SetSrcBlend(unsigned blend) {
    Rec(Operation::Device_SetSrcBlend, [&] { m_pInner->SetSrcBlend(blend); }, blend);
}

void RecordingDevice::SetDestBlend(unsigned blend) {
    Rec(Operation::Device_SetDestBlend, [&] { m_pInner->SetDestBlend(blend); }, blend);
}

void RecordingDevice::SetLighting(bool enable) {
    Rec(Operation::Device_SetLighting, [&] { m_pInner->SetLighting(enable); }, enable);
}

void RecordingDevice::SetAmbient(unsigned long argb) {
    Rec(Operation::Device_SetAmbient, [&] { m_pInner->SetAmbient(argb); }, argb);
}

void RecordingDevice::EnableLight(unsigned index, bool enable) {
    Rec(Operation::Device_EnableLight, [&] { m_pInner->EnableLight(index, enable); }, index, enable);
}

void RecordingDevice::SetTextureBitDepth(unsigned bits) {
    Rec(Operation::Device_SetTextureBitDepth, [&] { m_pInner->SetTextureBitDepth(bits); }, bits);
}

unsigned RecordingDevice::GetTextureBitDepth() {
    return Rec(Operation::Device_GetTextureBitDepth, [&] { return m_pInner->GetTextureBitDepth(); });
}

void RecordingDevice::SetTextureFilter(unsigned filter) {
    Rec(Operation::Device_SetTextureFilter, [&] { m_pInner->SetTextureFilter(filter); }, filter);
}

unsigned RecordingDevice::GetTextureFilter() {
    return Rec(Operation::Device_GetTextureFilter, [&] { return m_pInner->GetTextureFilter(); });
}

void RecordingDevice::SetOptionA(bool value) {
    Rec(Operation::Device_SetOptionA, [&] { m_pInner->SetOptionA(value); }, value);
}

bool RecordingDevice::GetOptionA() {
    return Rec(Operation::Device_GetOptionA, [&] { return m_pInner->GetOptionA(); });
}

void RecordingDevice::SetOptionB(unsigned value) {
    Rec(Operation::Device_SetOptionB, [&] { m_pInner->SetOptionB(value); }, value);
}

unsigned RecordingDevice::GetOptionB() {
    return Rec(Operation::Device_GetOptionB, [&] { return m_pInner->GetOptionB(); });
}

void RecordingDevice::SetOptionC(bool value) {
    Rec(Operation::Device_SetOptionC, [&] { m_pInner->SetOptionC(value); }, value);
}

bool RecordingDevice::GetOptionC() {
    return Rec(Operation::Device_GetOptionC, [&] { return m_pInner->GetOptionC(); });
}

unsigned RecordingDevice::GetTriangleCount() {
    return Rec(Operation::Device_GetTriangleCount, [&] { return m_pInner->GetTriangleCount(); });
}

void RecordingDevice::SetTextureStageState(unsigned stage, unsigned state, unsigned value) {
    Rec(Operation::Device_SetTextureStageState, [&] { m_pInner->SetTextureStageState(stage, state, value); }, stage, state, value);
}

void RecordingDevice::DisableTexturing() {
    Rec(Operation::Device_DisableTexturing, [&] { m_pInner->DisableTexturing(); });
}

bool RecordingDevice::RenderVertexBuffer(PrimitiveType type, unsigned primitiveCount) {
    return Rec(Operation::Device_RenderVertexBuffer, [&] { return m_pInner->RenderVertexBuffer(type, primitiveCount); }, type, primitiveCount);
}

bool RecordingDevice::RenderVertexBufferEx(PrimitiveType type, int second, unsigned primitiveCount, int fourth) {
    return Rec(Operation::Device_RenderVertexBufferEx, [&] { return m_pInner->RenderVertexBufferEx(type, second, primitiveCount, fourth); }, type, second, primitiveCount, fourth);
}

bool RecordingDevice::DumpRenderStates() {
    return Rec(Operation::Device_DumpRenderStates, [&] { return m_pInner->DumpRenderStates(); });
}

bool RecordingDevice::DumpTextureStageStates(unsigned stage) {
    return Rec(Operation::Device_DumpTextureStageStates, [&] { return m_pInner->DumpTextureStageStates(stage); }, stage);
}
}  // namespace orvcapture
