// The calls a replay makes: each recorded call's arguments decoded and
// checked, the operation called on the object the capture names, and its
// results written as the recorder writes them, to be compared.
#include <cstring>
#include <deque>

#include "capture/MarkupText.h"
#include "capture/PlayerImpl.h"
#include "capture/VertexCounts.h"
#include "host/Font.h"
#include "host/IndexBuffer.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/OML.h"
#include "host/ScreenQuad.h"
#include "host/Texture.h"
#include "host/VertexBuffer.h"
#include "hostinput/MemoryFile.h"

namespace orvcapture {

namespace {

// The number of an object the host passed that the plug-in never handed out.
constexpr uint32_t kForeign = 0xFFFFFFFFu;

// Where the replay writes a file the session wrote: under the recorded base
// name (after the last / or \), in the replay's output directory, or the
// working directory where it has none. Empty for no name.
std::string ReplayOutputPath(const ReplayOptions& options, const char* recorded) {
    if (!recorded) return std::string();
    const std::string path = recorded;
    const size_t slash = path.find_last_of("/\\");
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return options.outputDirectory.empty() ? base : options.outputDirectory + "/" + base;
}

// A call's recorded arguments, decoded by position and kind; the first that
// is missing or of another kind makes the call malformed.
class Arguments {
public:
    Arguments(const std::vector<Value>& values, const std::vector<Player::Impl::Slot>& objects)
        : m_Values(values), m_Objects(objects) {}

    bool ok = true;
    std::string why;

    uint32_t U(size_t i) { return Take(i, Value::Kind::U32) ? m_Values[i].u : 0; }
    int32_t I(size_t i) { return Take(i, Value::Kind::I32) ? m_Values[i].i : 0; }
    float F(size_t i) { return Take(i, Value::Kind::F32) ? m_Values[i].f : 0.0f; }
    bool B(size_t i) { return Take(i, Value::Kind::Bool) ? m_Values[i].u != 0 : false; }
    // Text, or null recorded as a null pointer.
    const char* T(size_t i) {
        if (i < m_Values.size() && m_Values[i].kind == Value::Kind::Pointer && !m_Values[i].u) return nullptr;
        return Take(i, Value::Kind::Text) ? m_Values[i].text.c_str() : nullptr;
    }
    // Whether the host passed a pointer (for results written through it).
    bool P(size_t i) { return Take(i, Value::Kind::Pointer) && m_Values[i].u; }
    // A record passed by pointer: its bytes, or null.
    template <typename Record>
    const Record* Rec(size_t i) {
        if (i < m_Values.size() && m_Values[i].kind == Value::Kind::Pointer && !m_Values[i].u) return nullptr;
        if (!Take(i, Value::Kind::Bytes)) return nullptr;
        if (m_Values[i].text.size() != sizeof(Record)) return Fail<Record>("a record of the wrong size");
        m_Records.emplace_back(m_Values[i].text);
        Record* record = reinterpret_cast<Record*>(&m_Storage.emplace_back());
        static_assert(sizeof(Record) <= sizeof(Storage), "records fit the storage");
        std::memcpy(record, m_Records.back().data(), sizeof(Record));
        return record;
    }
    RECT Rect(size_t i) {
        RECT rect = {};
        rect.left = I(i), rect.top = I(i + 1), rect.right = I(i + 2), rect.bottom = I(i + 3);
        return rect;
    }
    template <typename Object>
    Object* Obj(size_t i, Interface kind) {
        if (!Take(i, Value::Kind::Object)) return nullptr;
        const uint32_t number = m_Values[i].u;
        if (number == 0 || number == kForeign) return nullptr;
        if (number >= m_Objects.size() || m_Objects[number].kind != kind)
            return Fail<Object>("object number " + std::to_string(number) + " is no " + KindName(kind));
        if (!m_Objects[number].alive)
            return Fail<Object>("object " + std::to_string(number) + " passed after it was destroyed");
        return static_cast<Object*>(m_Objects[number].pointer);
    }

private:
    bool Take(size_t i, Value::Kind kind) {
        if (i < m_Values.size() && m_Values[i].kind == kind) return true;
        Fail<void>("argument " + std::to_string(i + 1) + " missing or of another kind");
        return false;
    }
    template <typename T>
    T* Fail(const std::string& reason) {
        if (ok) why = reason;
        ok = false;
        return nullptr;
    }

    struct alignas(16) Storage {
        uint8_t bytes[128];
    };
    const std::vector<Value>& m_Values;
    const std::vector<Player::Impl::Slot>& m_Objects;
    std::deque<std::string> m_Records;
    std::deque<Storage> m_Storage;
};

}  // namespace

bool Player::Impl::Bind(const Call& call, size_t index, void* pointer, Interface kind, uint32_t owner,
                        ValueWriter& out) {
    if (index >= call.results.size() || call.results[index].kind != Value::Kind::Object)
        return Refuse("an object result missing");
    const uint32_t recorded = call.results[index].u;
    if (call.resultIsNew[index]) {
        if (recorded != objects.size() || recorded >= kMaxObjects)
            return Refuse("object number " + std::to_string(recorded) + " out of order");
        Slot slot;
        slot.pointer = pointer;
        slot.kind = kind;
        slot.alive = true;
        slot.owner = owner;
        slot.made = InterfaceOf(call.op) == Interface::Device && call.op != Operation::Device_GetMaterial;
        objects.push_back(slot);
        if (owner) objects[owner].layers.push_back(recorded);
        if (pointer) numbers[pointer] = recorded;
        if (!dryRun) out.Put(ObjectValue{pointer ? recorded : 0, pointer != nullptr});
        return true;
    }
    if (recorded != 0 && (recorded >= objects.size() || objects[recorded].kind != kind))
        return Refuse("object number " + std::to_string(recorded) + " is no " + KindName(kind));
    if (dryRun) return true;
    if (!pointer) {
        out.Put(ObjectValue{});
        return true;
    }
    auto known = numbers.find(pointer);
    if (known != numbers.end())
        out.Put(ObjectValue{known->second, false});
    else
        out.Put(ObjectValue{static_cast<uint32_t>(objects.size()), true});  // one the recording never saw
    return true;
}

bool Player::Impl::BindRecorded(const Call& call) {
    for (size_t i = 0; i < call.results.size(); ++i) {
        if (call.results[i].kind != Value::Kind::Object) continue;
        Interface kind = Interface::Plugin;
        switch (call.op) {
            case Operation::Device_LoadMaterial:
            case Operation::Device_CreateMaterial:
            case Operation::Device_GetMaterial: kind = Interface::Material; break;
            case Operation::Device_CreateTexture:
            case Operation::Device_CreateTextureFromFile:
            case Operation::Device_CreateTextureFromFileSequence:
            case Operation::Layer_GetTexture: kind = Interface::Texture; break;
            case Operation::Material_AddLayer:
            case Operation::Material_AddLayer2:
            case Operation::Material_AddLayer3:
            case Operation::Material_GetLayer: kind = Interface::Layer; break;
            case Operation::Device_CreateVertexBuffer: kind = Interface::VertexBuffer; break;
            case Operation::Device_CreateIndexBuffer: kind = Interface::IndexBuffer; break;
            case Operation::Device_CreateScreenQuad: kind = Interface::Quad; break;
            case Operation::Device_CreateTextFont: kind = Interface::Font; break;
            case Operation::Plugin_Create: kind = Interface::Device; break;
            default: return Refuse("an object result of an operation that hands out none");
        }
        std::string unused;
        ValueWriter none(&unused);
        if (!Bind(call, i, nullptr, kind, kind == Interface::Layer ? call.object : 0, none)) return false;
    }
    return true;
}

#define GO                                  \
    if (!a.ok) return Refuse(a.why);        \
    if (dryRun) return BindRecorded(call);

bool Player::Impl::Invoke(Call& call, std::string* replayed, bool* skipped) {
    Arguments a(call.arguments, objects);
    ValueWriter out(replayed);
    void* target = call.op == Operation::Plugin_Create ? nullptr : objects[call.object].pointer;
    if (!dryRun && call.op != Operation::Plugin_Create && !target) {
        // Its object was not made at replay: the call is left out, and what
        // it handed out is not made either.
        *skipped = true;
        const bool wasDry = dryRun;
        dryRun = true;
        const bool bound = BindRecorded(call);
        dryRun = wasDry;
        return bound;
    }
    switch (call.op) {
        case Operation::Device_Shutdown: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->Shutdown()); return true; }
        case Operation::Device_GetAdapterCount: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->GetAdapterCount()); return true; }
        case Operation::Device_GetDisplayModeCount: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; out.Put(self->GetDisplayModeCount(x0)); return true; }
        case Operation::Device_ValidateDisplayMode: { auto* self = static_cast<RenderDevice*>(target); const DisplayMode* x0 = a.Rec<DisplayMode>(0); GO; out.Put(self->ValidateDisplayMode(x0)); return true; }
        case Operation::Device_SetDisplayMode: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); const auto x1 = a.U(1); const auto x2 = a.U(2); const auto x3 = a.U(3); const auto x4 = a.U(4); const auto x5 = a.B(5); GO; out.Put(self->SetDisplayMode(x0, x1, x2, x3, x4, x5)); return true; }
        case Operation::Device_SetDisplayMode2: { auto* self = static_cast<RenderDevice*>(target); const DisplayMode* x0 = a.Rec<DisplayMode>(0); GO; out.Put(self->SetDisplayMode(x0)); return true; }
        case Operation::Device_CloseDisplay: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->CloseDisplay()); return true; }
        case Operation::Device_ResetDevice: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->ResetDevice()); return true; }
        case Operation::Device_FromD3DColor: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; out.Put(self->FromD3DColor(x0)); return true; }
        case Operation::Device_SetWorldMatrix: { auto* self = static_cast<RenderDevice*>(target); const Matrix3D* x0 = a.Rec<Matrix3D>(0); GO; self->SetWorldMatrix(x0); return true; }
        case Operation::Device_GetWorldMatrix: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->GetWorldMatrix()); return true; }
        case Operation::Device_SetViewMatrix: { auto* self = static_cast<RenderDevice*>(target); const Matrix3D* x0 = a.Rec<Matrix3D>(0); GO; self->SetViewMatrix(x0); return true; }
        case Operation::Device_GetViewMatrix: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->GetViewMatrix()); return true; }
        case Operation::Device_SetProjectionMatrix: { auto* self = static_cast<RenderDevice*>(target); const Matrix3D* x0 = a.Rec<Matrix3D>(0); GO; self->SetProjectionMatrix(x0); return true; }
        case Operation::Device_GetProjectionMatrix: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->GetProjectionMatrix()); return true; }
        case Operation::Device_BuildPerspectiveMatrix: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.F(0); const auto x1 = a.F(1); GO; out.Put(self->BuildPerspectiveMatrix(x0, x1)); return true; }
        case Operation::Device_BuildOrthoMatrix: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.F(0); const auto x1 = a.F(1); GO; out.Put(self->BuildOrthoMatrix(x0, x1)); return true; }
        case Operation::Device_BeginScene: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->BeginScene()); return true; }
        case Operation::Device_EndScene: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->EndScene()); return true; }
        case Operation::Device_Clear: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.B(0); const auto x1 = a.B(1); const auto x2 = a.B(2); GO; out.Put(self->Clear(x0, x1, x2)); return true; }
        case Operation::Device_SetClearColor: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; self->SetClearColor(x0); return true; }
        case Operation::Device_SetClearDepth: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.F(0); GO; self->SetClearDepth(x0); return true; }
        case Operation::Device_SetClearStencil: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; self->SetClearStencil(x0); return true; }
        case Operation::Device_SetViewport: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.I(0); const auto x1 = a.I(1); const auto x2 = a.I(2); const auto x3 = a.I(3); GO; self->SetViewport(x0, x1, x2, x3); return true; }
        case Operation::Device_SetDefaultStates: { auto* self = static_cast<RenderDevice*>(target);  GO; self->SetDefaultStates(); return true; }
        case Operation::Device_SetRenderState: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); const auto x1 = a.U(1); GO; self->SetRenderState(x0, x1); return true; }
        case Operation::Device_SetShadeMode: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; self->SetShadeMode(x0); return true; }
        case Operation::Device_SetFillMode: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; self->SetFillMode(x0); return true; }
        case Operation::Device_SetCullMode: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; self->SetCullMode(x0); return true; }
        case Operation::Device_SetZEnable: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.B(0); GO; self->SetZEnable(x0); return true; }
        case Operation::Device_GetZEnable: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->GetZEnable()); return true; }
        case Operation::Device_SetZFunc: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; self->SetZFunc(x0); return true; }
        case Operation::Device_SetAlphaBlendEnable: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.B(0); GO; self->SetAlphaBlendEnable(x0); return true; }
        case Operation::Device_GetAlphaBlendEnable: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->GetAlphaBlendEnable()); return true; }
        case Operation::Device_SetSrcBlend: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; self->SetSrcBlend(x0); return true; }
        case Operation::Device_SetDestBlend: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; self->SetDestBlend(x0); return true; }
        case Operation::Device_SetLighting: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.B(0); GO; self->SetLighting(x0); return true; }
        case Operation::Device_SetAmbient: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; self->SetAmbient(x0); return true; }
        case Operation::Device_SetLight: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); const LightDesc* x1 = a.Rec<LightDesc>(1); GO; self->SetLight(x0, x1); return true; }
        case Operation::Device_EnableLight: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); const auto x1 = a.B(1); GO; self->EnableLight(x0, x1); return true; }
        case Operation::Device_LoadMaterial: { auto* self = static_cast<RenderDevice*>(target); const char* x0 = a.T(0); GO; return Bind(call, 0, self->LoadMaterial(x0), Interface::Material, 0, out); }
        case Operation::Device_CreateMaterial: { auto* self = static_cast<RenderDevice*>(target);  GO; return Bind(call, 0, self->CreateMaterial(), Interface::Material, 0, out); }
        case Operation::Device_SetMaterial: { auto* self = static_cast<RenderDevice*>(target); Material* x0 = a.Obj<Material>(0, Interface::Material); GO; out.Put(self->SetMaterial(x0)); return true; }
        case Operation::Device_GetMaterial: { auto* self = static_cast<RenderDevice*>(target);  GO; return Bind(call, 0, self->GetMaterial(), Interface::Material, 0, out); }
        case Operation::Device_SetTextureBitDepth: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; self->SetTextureBitDepth(x0); return true; }
        case Operation::Device_GetTextureBitDepth: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->GetTextureBitDepth()); return true; }
        case Operation::Device_SetTextureFilter: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; self->SetTextureFilter(x0); return true; }
        case Operation::Device_GetTextureFilter: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->GetTextureFilter()); return true; }
        case Operation::Device_SetOptionA: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.B(0); GO; self->SetOptionA(x0); return true; }
        case Operation::Device_GetOptionA: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->GetOptionA()); return true; }
        case Operation::Device_SetOptionB: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; self->SetOptionB(x0); return true; }
        case Operation::Device_GetOptionB: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->GetOptionB()); return true; }
        case Operation::Device_SetOptionC: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.B(0); GO; self->SetOptionC(x0); return true; }
        case Operation::Device_GetOptionC: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->GetOptionC()); return true; }
        case Operation::Device_GetTriangleCount: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->GetTriangleCount()); return true; }
        case Operation::Device_CreateTexture: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); const auto x1 = a.U(1); const auto x2 = a.B(2); const auto x3 = a.U(3); GO; return Bind(call, 0, self->CreateTexture(x0, x1, x2, x3), Interface::Texture, 0, out); }
        case Operation::Device_CreateTextureFromFile: { auto* self = static_cast<RenderDevice*>(target); const char* x0 = a.T(0); const auto x1 = a.B(1); const auto x2 = a.B(2); GO; return Bind(call, 0, self->CreateTextureFromFile(x0, x1, x2), Interface::Texture, 0, out); }
        case Operation::Device_CreateTextureFromFileSequence: { auto* self = static_cast<RenderDevice*>(target); const char* x0 = a.T(0); const auto x1 = a.I(1); const auto x2 = a.B(2); const auto x3 = a.B(3); GO; return Bind(call, 0, self->CreateTextureFromFileSequence(x0, x1, x2, x3), Interface::Texture, 0, out); }
        case Operation::Device_SetTexture: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); Texture* x1 = a.Obj<Texture>(1, Interface::Texture); GO; self->SetTexture(x0, x1); return true; }
        case Operation::Device_SetTextureStageState: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); const auto x1 = a.U(1); const auto x2 = a.U(2); GO; self->SetTextureStageState(x0, x1, x2); return true; }
        case Operation::Device_DisableTexturing: { auto* self = static_cast<RenderDevice*>(target);  GO; self->DisableTexturing(); return true; }
        case Operation::Device_RenderVertexBuffer: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = static_cast<PrimitiveType>(a.U(0)); const auto x1 = a.U(1); GO; out.Put(self->RenderVertexBuffer(x0, x1)); return true; }
        case Operation::Device_RenderVertexBufferEx: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = static_cast<PrimitiveType>(a.U(0)); const auto x1 = a.I(1); const auto x2 = a.U(2); const auto x3 = a.I(3); GO; out.Put(self->RenderVertexBufferEx(x0, x1, x2, x3)); return true; }
        case Operation::Device_RenderScreenQuad: { auto* self = static_cast<RenderDevice*>(target); ScreenQuad* x0 = a.Obj<ScreenQuad>(0, Interface::Quad); GO; out.Put(self->RenderScreenQuad(x0)); return true; }
        case Operation::Device_CreateVertexBuffer: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); const auto x1 = a.B(1); const auto x2 = a.B(2); GO; return Bind(call, 0, self->CreateVertexBuffer(x0, x1, x2), Interface::VertexBuffer, 0, out); }
        case Operation::Device_SetVertexBuffer: { auto* self = static_cast<RenderDevice*>(target); VertexBuffer* x0 = a.Obj<VertexBuffer>(0, Interface::VertexBuffer); GO; out.Put(self->SetVertexBuffer(x0)); return true; }
        case Operation::Device_CreateIndexBuffer: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); const auto x1 = a.B(1); GO; return Bind(call, 0, self->CreateIndexBuffer(x0, x1), Interface::IndexBuffer, 0, out); }
        case Operation::Device_SetIndexBuffer: { auto* self = static_cast<RenderDevice*>(target); IndexBuffer* x0 = a.Obj<IndexBuffer>(0, Interface::IndexBuffer); GO; out.Put(self->SetIndexBuffer(x0)); return true; }
        case Operation::Device_CreateTextFont: { auto* self = static_cast<RenderDevice*>(target); const char* x0 = a.T(0); const auto x1 = a.U(1); const auto x2 = a.B(2); const auto x3 = a.B(3); GO; return Bind(call, 0, self->CreateTextFont(x0, x1, x2, x3), Interface::Font, 0, out); }
        case Operation::Device_CreateScreenQuad: { auto* self = static_cast<RenderDevice*>(target); const RECT x0 = a.Rect(0); const auto x1 = a.U(4); GO; return Bind(call, 0, self->CreateScreenQuad(x0, x1), Interface::Quad, 0, out); }
        case Operation::Device_DumpRenderStates: { auto* self = static_cast<RenderDevice*>(target);  GO; out.Put(self->DumpRenderStates()); return true; }
        case Operation::Device_DumpTextureStageStates: { auto* self = static_cast<RenderDevice*>(target); const auto x0 = a.U(0); GO; out.Put(self->DumpTextureStageStates(x0)); return true; }
        case Operation::Texture_UpdateRect: { auto* self = static_cast<Texture*>(target); const auto x0 = a.U(0); const auto x1 = a.I(1); const auto x2 = a.I(2); const auto x3 = a.I(3); const auto x4 = a.I(4); const auto x5 = a.B(5); GO; out.Put(self->UpdateRect(x0, x1, x2, x3, x4, x5)); return true; }
        case Operation::Texture_UpdateRectAllFrames: { auto* self = static_cast<Texture*>(target); const auto x0 = a.I(0); const auto x1 = a.I(1); const auto x2 = a.I(2); const auto x3 = a.I(3); const auto x4 = a.B(4); GO; out.Put(self->UpdateRectAllFrames(x0, x1, x2, x3, x4)); return true; }
        case Operation::Texture_UpdateFrame: { auto* self = static_cast<Texture*>(target); const auto x0 = a.U(0); const auto x1 = a.B(1); GO; out.Put(self->UpdateFrame(x0, x1)); return true; }
        case Operation::Texture_UpdateAllFrames: { auto* self = static_cast<Texture*>(target); const auto x0 = a.B(0); GO; out.Put(self->UpdateAllFrames(x0)); return true; }
        case Operation::Texture_UpdateRect2: { auto* self = static_cast<Texture*>(target); const auto x0 = a.U(0); const auto x1 = a.I(1); const auto x2 = a.I(2); const auto x3 = a.I(3); const auto x4 = a.I(4); GO; out.Put(self->UpdateRect(x0, x1, x2, x3, x4)); return true; }
        case Operation::Texture_UpdateRectAllFrames2: { auto* self = static_cast<Texture*>(target); const auto x0 = a.I(0); const auto x1 = a.I(1); const auto x2 = a.I(2); const auto x3 = a.I(3); GO; out.Put(self->UpdateRectAllFrames(x0, x1, x2, x3)); return true; }
        case Operation::Texture_UpdateFrame2: { auto* self = static_cast<Texture*>(target); const auto x0 = a.U(0); GO; out.Put(self->UpdateFrame(x0)); return true; }
        case Operation::Texture_UpdateAllFrames2: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->UpdateAllFrames()); return true; }
        case Operation::Texture_GetCurrentFrame: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->GetCurrentFrame()); return true; }
        case Operation::Texture_IsPlaying: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->IsPlaying()); return true; }
        case Operation::Texture_SetPlaying: { auto* self = static_cast<Texture*>(target); const auto x0 = a.B(0); GO; self->SetPlaying(x0); return true; }
        case Operation::Texture_SetFrame: { auto* self = static_cast<Texture*>(target); const auto x0 = a.U(0); GO; self->SetFrame(x0); return true; }
        case Operation::Texture_SetLooping: { auto* self = static_cast<Texture*>(target); const auto x0 = a.B(0); GO; self->SetLooping(x0); return true; }
        case Operation::Texture_IsLooping: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->IsLooping()); return true; }
        case Operation::Texture_GetWidth: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->GetWidth()); return true; }
        case Operation::Texture_GetHeight: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->GetHeight()); return true; }
        case Operation::Texture_GetPitch: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->GetPitch()); return true; }
        case Operation::Texture_GetBytesPerPixel: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->GetBytesPerPixel()); return true; }
        case Operation::Texture_GetFormat: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->GetFormat()); return true; }
        case Operation::Texture_GetFrameCount: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->GetFrameCount()); return true; }
        case Operation::Texture_HasMipmaps: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->HasMipmaps()); return true; }
        case Operation::Texture_GetRowCount: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->GetRowCount()); return true; }
        case Operation::Texture_GetRowLength: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->GetRowLength()); return true; }
        case Operation::Texture_GetBlockWidth: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->GetBlockWidth()); return true; }
        case Operation::Texture_GetBlockHeight: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->GetBlockHeight()); return true; }
        case Operation::Texture_AddRef: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->AddRef()); return true; }
        case Operation::Texture_GetRefCount: { auto* self = static_cast<Texture*>(target);  GO; out.Put(self->GetRefCount()); return true; }
        case Operation::Texture_SetPixel: { auto* self = static_cast<Texture*>(target); const auto x0 = a.U(0); const auto x1 = a.U(1); const auto x2 = a.U(2); const auto x3 = a.U(3); GO; self->SetPixel(x0, x1, x2, x3); return true; }
        case Operation::Texture_GetPixel: { auto* self = static_cast<Texture*>(target); const auto x0 = a.U(0); const auto x1 = a.U(1); const auto x2 = a.U(2); GO; out.Put(self->GetPixel(x0, x1, x2)); return true; }
        case Operation::Material_LoadFromFile: { auto* self = static_cast<Material*>(target); const char* x0 = a.T(0); GO; out.Put(self->LoadFromFile(x0)); return true; }
        case Operation::Material_AddRef: { auto* self = static_cast<Material*>(target);  GO; out.Put(self->AddRef()); return true; }
        case Operation::Material_GetRefCount: { auto* self = static_cast<Material*>(target);  GO; out.Put(self->GetRefCount()); return true; }
        case Operation::Material_SetAmbient: { auto* self = static_cast<Material*>(target); const auto x0 = a.F(0); const auto x1 = a.F(1); const auto x2 = a.F(2); GO; self->SetAmbient(x0, x1, x2); return true; }
        case Operation::Material_GetAmbient: { auto* self = static_cast<Material*>(target);  GO; out.Put(self->GetAmbient()); return true; }
        case Operation::Material_SetDiffuse: { auto* self = static_cast<Material*>(target); const auto x0 = a.F(0); const auto x1 = a.F(1); const auto x2 = a.F(2); GO; self->SetDiffuse(x0, x1, x2); return true; }
        case Operation::Material_GetDiffuse: { auto* self = static_cast<Material*>(target);  GO; out.Put(self->GetDiffuse()); return true; }
        case Operation::Material_SetSpecular: { auto* self = static_cast<Material*>(target); const auto x0 = a.F(0); const auto x1 = a.F(1); const auto x2 = a.F(2); GO; self->SetSpecular(x0, x1, x2); return true; }
        case Operation::Material_GetSpecular: { auto* self = static_cast<Material*>(target);  GO; out.Put(self->GetSpecular()); return true; }
        case Operation::Material_SetEmissive: { auto* self = static_cast<Material*>(target); const auto x0 = a.F(0); const auto x1 = a.F(1); const auto x2 = a.F(2); GO; self->SetEmissive(x0, x1, x2); return true; }
        case Operation::Material_GetEmissive: { auto* self = static_cast<Material*>(target);  GO; out.Put(self->GetEmissive()); return true; }
        case Operation::Material_SetShininess: { auto* self = static_cast<Material*>(target); const auto x0 = a.F(0); GO; self->SetShininess(x0); return true; }
        case Operation::Material_GetShininess: { auto* self = static_cast<Material*>(target);  GO; out.Put(self->GetShininess()); return true; }
        case Operation::Material_SetFrameBlend: { auto* self = static_cast<Material*>(target); const auto x0 = a.B(0); GO; self->SetFrameBlend(x0); return true; }
        case Operation::Material_GetFrameBlend: { auto* self = static_cast<Material*>(target);  GO; out.Put(self->GetFrameBlend()); return true; }
        case Operation::Material_SetCulling: { auto* self = static_cast<Material*>(target); const auto x0 = a.B(0); GO; self->SetCulling(x0); return true; }
        case Operation::Material_GetCulling: { auto* self = static_cast<Material*>(target);  GO; out.Put(self->GetCulling()); return true; }
        case Operation::Material_SetZFunc: { auto* self = static_cast<Material*>(target); const auto x0 = a.I(0); GO; self->SetZFunc(x0); return true; }
        case Operation::Material_GetZFunc: { auto* self = static_cast<Material*>(target);  GO; out.Put(self->GetZFunc()); return true; }
        case Operation::Material_SetZWrite: { auto* self = static_cast<Material*>(target); const auto x0 = a.B(0); GO; self->SetZWrite(x0); return true; }
        case Operation::Material_GetZWrite: { auto* self = static_cast<Material*>(target);  GO; out.Put(self->GetZWrite()); return true; }
        case Operation::Material_AddLayer: { auto* self = static_cast<Material*>(target);  GO; return Bind(call, 0, self->AddLayer(), Interface::Layer, call.object, out); }
        case Operation::Material_AddLayer2: { auto* self = static_cast<Material*>(target); Texture* x0 = a.Obj<Texture>(0, Interface::Texture); GO; return Bind(call, 0, self->AddLayer(x0), Interface::Layer, call.object, out); }
        case Operation::Material_AddLayer3: { auto* self = static_cast<Material*>(target); const char* x0 = a.T(0); GO; return Bind(call, 0, self->AddLayer(x0), Interface::Layer, call.object, out); }
        case Operation::Material_GetLayerCount: { auto* self = static_cast<Material*>(target);  GO; out.Put(self->GetLayerCount()); return true; }
        case Operation::Material_GetLayer: { auto* self = static_cast<Material*>(target); const auto x0 = a.I(0); GO; return Bind(call, 0, self->GetLayer(x0), Interface::Layer, call.object, out); }
        case Operation::Layer_SetSrcBlend: { auto* self = static_cast<MaterialLayer*>(target); const auto x0 = a.I(0); GO; self->SetSrcBlend(x0); return true; }
        case Operation::Layer_GetSrcBlend: { auto* self = static_cast<MaterialLayer*>(target);  GO; out.Put(self->GetSrcBlend()); return true; }
        case Operation::Layer_SetDestBlend: { auto* self = static_cast<MaterialLayer*>(target); const auto x0 = a.I(0); GO; self->SetDestBlend(x0); return true; }
        case Operation::Layer_GetDestBlend: { auto* self = static_cast<MaterialLayer*>(target);  GO; out.Put(self->GetDestBlend()); return true; }
        case Operation::Layer_SetAlphaArg1: { auto* self = static_cast<MaterialLayer*>(target); const auto x0 = a.I(0); GO; self->SetAlphaArg1(x0); return true; }
        case Operation::Layer_GetAlphaArg1: { auto* self = static_cast<MaterialLayer*>(target);  GO; out.Put(self->GetAlphaArg1()); return true; }
        case Operation::Layer_SetAlphaArg2: { auto* self = static_cast<MaterialLayer*>(target); const auto x0 = a.I(0); GO; self->SetAlphaArg2(x0); return true; }
        case Operation::Layer_GetAlphaArg2: { auto* self = static_cast<MaterialLayer*>(target);  GO; out.Put(self->GetAlphaArg2()); return true; }
        case Operation::Layer_SetColorArg1: { auto* self = static_cast<MaterialLayer*>(target); const auto x0 = a.I(0); GO; self->SetColorArg1(x0); return true; }
        case Operation::Layer_GetColorArg1: { auto* self = static_cast<MaterialLayer*>(target);  GO; out.Put(self->GetColorArg1()); return true; }
        case Operation::Layer_SetColorArg2: { auto* self = static_cast<MaterialLayer*>(target); const auto x0 = a.I(0); GO; self->SetColorArg2(x0); return true; }
        case Operation::Layer_GetColorArg2: { auto* self = static_cast<MaterialLayer*>(target);  GO; out.Put(self->GetColorArg2()); return true; }
        case Operation::Layer_SetColorOp: { auto* self = static_cast<MaterialLayer*>(target); const auto x0 = a.I(0); GO; self->SetColorOp(x0); return true; }
        case Operation::Layer_GetColorOp: { auto* self = static_cast<MaterialLayer*>(target);  GO; out.Put(self->GetColorOp()); return true; }
        case Operation::Layer_SetAlphaOp: { auto* self = static_cast<MaterialLayer*>(target); const auto x0 = a.I(0); GO; self->SetAlphaOp(x0); return true; }
        case Operation::Layer_GetAlphaOp: { auto* self = static_cast<MaterialLayer*>(target);  GO; out.Put(self->GetAlphaOp()); return true; }
        case Operation::Layer_SetAddressing: { auto* self = static_cast<MaterialLayer*>(target); const auto x0 = a.I(0); GO; self->SetAddressing(x0); return true; }
        case Operation::Layer_GetAddressing: { auto* self = static_cast<MaterialLayer*>(target);  GO; out.Put(self->GetAddressing()); return true; }
        case Operation::Layer_SetLighting: { auto* self = static_cast<MaterialLayer*>(target); const auto x0 = a.B(0); GO; self->SetLighting(x0); return true; }
        case Operation::Layer_GetLighting: { auto* self = static_cast<MaterialLayer*>(target);  GO; out.Put(self->GetLighting()); return true; }
        case Operation::Layer_GetTexture: { auto* self = static_cast<MaterialLayer*>(target);  GO; return Bind(call, 0, self->GetTexture(), Interface::Texture, 0, out); }
        case Operation::Layer_SetTexture: { auto* self = static_cast<MaterialLayer*>(target); Texture* x0 = a.Obj<Texture>(0, Interface::Texture); GO; out.Put(self->SetTexture(x0)); return true; }
        case Operation::Layer_LoadTexture: { auto* self = static_cast<MaterialLayer*>(target); const char* x0 = a.T(0); GO; out.Put(self->LoadTexture(x0)); return true; }
        case Operation::Layer_ReleaseTexture: { auto* self = static_cast<MaterialLayer*>(target);  GO; out.Put(self->ReleaseTexture()); return true; }
        case Operation::VertexBuffer_GetVertexCount: { auto* self = static_cast<VertexBuffer*>(target);  GO; out.Put(self->GetVertexCount()); return true; }
        case Operation::VertexBuffer_Resize: { auto* self = static_cast<VertexBuffer*>(target); const auto x0 = a.U(0); GO; out.Put(self->Resize(x0)); return true; }
        case Operation::VertexBuffer_Upload: { auto* self = static_cast<VertexBuffer*>(target);  GO; out.Put(self->Upload()); return true; }
        case Operation::IndexBuffer_GetIndexCount: { auto* self = static_cast<IndexBuffer*>(target);  GO; out.Put(self->GetIndexCount()); return true; }
        case Operation::IndexBuffer_Resize: { auto* self = static_cast<IndexBuffer*>(target); const auto x0 = a.U(0); GO; out.Put(self->Resize(x0)); return true; }
        case Operation::IndexBuffer_Upload: { auto* self = static_cast<IndexBuffer*>(target);  GO; out.Put(self->Upload()); return true; }
        case Operation::Quad_SetRect: { auto* self = static_cast<ScreenQuad*>(target); const RECT x0 = a.Rect(0); GO; self->SetRect(x0); return true; }
        case Operation::Quad_SetColor: { auto* self = static_cast<ScreenQuad*>(target); const auto x0 = a.U(0); GO; self->SetColor(x0); return true; }
        case Operation::Quad_SetTexCoords: { auto* self = static_cast<ScreenQuad*>(target); const auto x0 = a.F(0); const auto x1 = a.F(1); const auto x2 = a.F(2); const auto x3 = a.F(3); const auto x4 = a.F(4); const auto x5 = a.F(5); const auto x6 = a.F(6); const auto x7 = a.F(7); GO; self->SetTexCoords(x0, x1, x2, x3, x4, x5, x6, x7); return true; }
        case Operation::Quad_GetRect: { auto* self = static_cast<ScreenQuad*>(target);  GO; out.Put(self->GetRect()); return true; }
        case Operation::Quad_GetColor: { auto* self = static_cast<ScreenQuad*>(target);  GO; out.Put(self->GetColor()); return true; }
        case Operation::Font_GetTextHeight: { auto* self = static_cast<Font*>(target);  GO; out.Put(self->GetTextHeight()); return true; }
        case Operation::Font_GetAverageCharWidth: { auto* self = static_cast<Font*>(target);  GO; out.Put(self->GetAverageCharWidth()); return true; }
        // ---- Calls with pointers, texts and lifetimes of their own ----
        case Operation::Plugin_Create: {
            if (objects.size() > 1 || device) return Refuse("a second CreatePlugin");
            GO;
            device = plugin.createPlugin(kernel);
            return Bind(call, 0, device, Interface::Device, 0, out);
        }
        case Operation::Device_Destroy: {
            GO;
            for (uint32_t number = 1; number < objects.size(); ++number) objects[number].alive = false;
            numbers.clear();
            delete device;
            device = nullptr;
            return true;
        }
        case Operation::Device_GetAdapterInfo: {
            auto* self = static_cast<RenderDevice*>(target);
            const auto adapter = a.U(0);
            const bool pointer = a.P(1);
            GO;
            AdapterInfo info{};
            const bool got = self->GetAdapterInfo(adapter, pointer ? &info : nullptr);
            out.Put(got);
            if (pointer) out.Put(info.adapter), out.Put(info.description.c_str());
            return true;
        }
        case Operation::Device_GetDisplayModeInfo: {
            auto* self = static_cast<RenderDevice*>(target);
            const auto adapter = a.U(0), index = a.U(1);
            const bool pointer = a.P(2);
            GO;
            DisplayMode mode{};
            out.Put(self->GetDisplayModeInfo(adapter, index, pointer ? &mode : nullptr));
            if (pointer) out.Put(mode);
            return true;
        }
        case Operation::Device_GetDisplayMode: {
            auto* self = static_cast<RenderDevice*>(target);
            const bool pointer = a.P(0);
            GO;
            DisplayMode mode{};
            DisplayMode* got = self->GetDisplayMode(pointer ? &mode : nullptr);
            out.PutPointer(got);
            if (got) out.Put(*got);
            return true;
        }
        case Operation::Device_ToD3DColor: {
            auto* self = static_cast<RenderDevice*>(target);
            const Color colour(a.F(0), a.F(1), a.F(2), a.F(3));
            GO;
            out.Put(self->ToD3DColor(colour));
            return true;
        }
        case Operation::Device_SaveScreenShot: {
            auto* self = static_cast<RenderDevice*>(target);
            const char* name = a.T(0);
            GO;
            const std::string path = ReplayOutputPath(*options, name);
            out.Put(self->SaveScreenShot(name ? path.c_str() : nullptr));
            return true;
        }
        case Operation::Device_ReleaseMaterial:
        case Operation::Device_ReleaseTexture: {
            auto* self = static_cast<RenderDevice*>(target);
            const bool material = call.op == Operation::Device_ReleaseMaterial;
            void* object = material ? static_cast<void*>(a.Obj<Material>(0, Interface::Material))
                                    : static_cast<void*>(a.Obj<Texture>(0, Interface::Texture));
            GO;
            const bool last = object && (material ? static_cast<Material*>(object)->GetRefCount() == 1
                                                  : static_cast<Texture*>(object)->GetRefCount() == 1);
            const bool released = material ? self->ReleaseMaterial(static_cast<Material*>(object))
                                           : self->ReleaseTexture(static_cast<Texture*>(object));
            out.Put(released);
            if (released && last) Destroyed(call.arguments[0].u);
            return true;
        }
        case Operation::Device_RenderVertices: {
            auto* self = static_cast<RenderDevice*>(target);
            const auto type = static_cast<PrimitiveType>(a.U(0));
            const auto count = a.U(1);
            const Value* vertices = call.arguments.size() > 2 ? &call.arguments[2] : nullptr;
            if (!vertices || (vertices->kind != Value::Kind::Bytes && vertices->kind != Value::Kind::Pointer))
                return Refuse("RenderVertices without its vertices");
            if (vertices->kind == Value::Kind::Bytes &&
                vertices->text.size() != VertexCountOf(type, count) * sizeof(Vertex))
                return Refuse("RenderVertices with vertices of the wrong size");
            GO;
            std::vector<Vertex> array(vertices->text.size() / sizeof(Vertex));
            if (!array.empty()) std::memcpy(static_cast<void*>(array.data()), vertices->text.data(), vertices->text.size());
            const Vertex* passed = vertices->kind == Value::Kind::Bytes ? array.data() : nullptr;
            // A pointer recorded without its vertices (too many) is not replayed.
            if (vertices->kind == Value::Kind::Pointer && vertices->u) return Refuse("RenderVertices too large");
            out.Put(self->RenderVertices(type, count, passed));
            return true;
        }
        case Operation::Device_DestroyVertexBuffer:
        case Operation::Device_DestroyIndexBuffer:
        case Operation::Device_DestroyTextFont:
        case Operation::Device_DestroyScreenQuad: {
            auto* self = static_cast<RenderDevice*>(target);
            bool destroyed = false;
            switch (call.op) {
                case Operation::Device_DestroyVertexBuffer: {
                    VertexBuffer* buffer = a.Obj<VertexBuffer>(0, Interface::VertexBuffer);
                    GO;
                    destroyed = self->DestroyVertexBuffer(buffer);
                    break;
                }
                case Operation::Device_DestroyIndexBuffer: {
                    IndexBuffer* buffer = a.Obj<IndexBuffer>(0, Interface::IndexBuffer);
                    GO;
                    destroyed = self->DestroyIndexBuffer(buffer);
                    break;
                }
                case Operation::Device_DestroyTextFont: {
                    Font* font = a.Obj<Font>(0, Interface::Font);
                    GO;
                    destroyed = self->DestroyTextFont(font);
                    break;
                }
                default: {
                    ScreenQuad* quad = a.Obj<ScreenQuad>(0, Interface::Quad);
                    GO;
                    destroyed = self->DestroyScreenQuad(quad);
                    break;
                }
            }
            out.Put(destroyed);
            if (destroyed) Destroyed(call.arguments[0].u);
            return true;
        }
        case Operation::Device_PrintText: {
            auto* self = static_cast<RenderDevice*>(target);
            const auto x = a.I(0), y = a.I(1);
            const char* text = a.T(2);
            GO;
            out.Put(self->PrintText(x, y, "%s", text ? text : ""));
            return true;
        }
        case Operation::Texture_GetFrameData: {
            auto* self = static_cast<Texture*>(target);
            const auto frame = a.U(0);
            GO;
            out.PutPointer(self->GetFrameData(frame));
            return true;
        }
        case Operation::Texture_GetData: {
            GO;
            out.PutPointer(static_cast<Texture*>(target)->GetData());
            return true;
        }
        case Operation::Texture_GetFrameDurations: {
            GO;
            auto* self = static_cast<Texture*>(target);
            const unsigned short* durations = self->GetFrameDurations();
            if (durations)
                out.PutBytes(durations, size_t(self->GetFrameCount()) * sizeof *durations);
            else
                out.PutPointer(nullptr);
            return true;
        }
        case Operation::Texture_GetFileName: {
            GO;
            out.Put(static_cast<Texture*>(target)->GetFileName().c_str());
            return true;
        }
        case Operation::Texture_Release:
        case Operation::Material_Release: {
            GO;
            if (call.op == Operation::Texture_Release) {
                const unsigned count = static_cast<Texture*>(target)->Release();
                out.Put(count);
                if (count == 0) Destroyed(call.object);
            } else {
                const int count = static_cast<Material*>(target)->Release();
                out.Put(count);
                if (count == 0) Destroyed(call.object);
            }
            return true;
        }
        case Operation::Material_ReadFrom: {
            auto* self = static_cast<Material*>(target);
            const char* text = a.T(0);
            GO;
            OML tag;
            if (text) {
                MemoryFile* file = MemoryFile::Create(std::vector<uint8_t>(text, text + std::strlen(text)));
                if (file) {
                    tag.LoadFrom(file);
                    file->Close();
                }
            }
            out.Put(self->ReadFrom(text ? &tag : nullptr));
            return true;
        }
        case Operation::Material_WriteTo: {
            auto* self = static_cast<Material*>(target);
            const bool pointer = a.P(0);
            GO;
            OML tag;
            const bool written = self->WriteTo(pointer ? &tag : nullptr);
            const std::string text = MarkupText(pointer ? &tag : nullptr);
            out.Put(written);
            out.PutText(text.data(), text.size());
            return true;
        }
        case Operation::Material_SaveToFile: {
            auto* self = static_cast<Material*>(target);
            const char* name = a.T(0);
            GO;
            const std::string path = ReplayOutputPath(*options, name);
            out.Put(self->SaveToFile(name ? path.c_str() : nullptr));
            return true;
        }
        case Operation::Material_RemoveLayer: {
            auto* self = static_cast<Material*>(target);
            MaterialLayer* layer = a.Obj<MaterialLayer>(0, Interface::Layer);
            GO;
            const bool removed = self->RemoveLayer(layer);
            out.Put(removed);
            if (removed && layer) Destroyed(call.arguments[0].u);
            return true;
        }
        case Operation::Material_RemoveLayerAt: {
            auto* self = static_cast<Material*>(target);
            const auto index = a.I(0);
            GO;
            MaterialLayer* layer = index >= 0 && index < self->GetLayerCount() ? self->GetLayer(index) : nullptr;
            const bool removed = self->RemoveLayerAt(index);
            out.Put(removed);
            auto known = numbers.find(layer);
            if (removed && layer && known != numbers.end()) Destroyed(known->second);
            return true;
        }
        case Operation::Material_RemoveAllLayers: {
            auto* self = static_cast<Material*>(target);
            GO;
            const bool removed = self->RemoveAllLayers();
            out.Put(removed);
            if (removed) {
                for (uint32_t layer : objects[call.object].layers) Destroyed(layer);
                objects[call.object].layers.clear();
            }
            return true;
        }
        case Operation::Layer_GetTextureName: {
            GO;
            out.Put(static_cast<MaterialLayer*>(target)->GetTextureName().c_str());
            return true;
        }
        case Operation::VertexBuffer_GetVertices: {
            GO;
            out.PutPointer(static_cast<VertexBuffer*>(target)->GetVertices());
            return true;
        }
        case Operation::IndexBuffer_GetIndices: {
            GO;
            out.PutPointer(static_cast<IndexBuffer*>(target)->GetIndices());
            return true;
        }
        case Operation::Quad_GetVertices: {
            GO;
            out.PutPointer(static_cast<ScreenQuad*>(target)->GetVertices());
            return true;
        }
        case Operation::Quad_GetTexCoords: {
            bool given[8];
            for (size_t i = 0; i < 8; ++i) given[i] = a.P(i);
            GO;
            float values[8] = {};
            float* p[8];
            for (size_t i = 0; i < 8; ++i) p[i] = given[i] ? &values[i] : nullptr;
            static_cast<ScreenQuad*>(target)->GetTexCoords(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
            for (float value : values) out.Put(value);
            return true;
        }
        case Operation::Font_Print: {
            auto* self = static_cast<Font*>(target);
            const auto x = a.I(0), y = a.I(1);
            const auto colour = a.U(2);
            const char* text = a.T(3);
            GO;
            out.Put(self->Print(x, y, colour, "%s", text ? text : ""));
            return true;
        }
        case Operation::Font_GetTextWidth: {
            const char* text = a.T(0);
            GO;
            out.Put(static_cast<Font*>(target)->GetTextWidth("%s", text ? text : ""));
            return true;
        }
        default: return Refuse(std::string("an operation no host calls: ") + OperationName(call.op));
    }
}

#undef GO

}  // namespace orvcapture
