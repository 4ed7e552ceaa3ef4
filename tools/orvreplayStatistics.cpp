#include "orvreplayStatistics.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "capture/Operations.h"
#include "host/EngineNumbering.h"
#include "host/HostTypes.h"

namespace orvreplay {
namespace {

using orvcapture::Operation;

// The kinds of state a host sets, for the keys of what it set.
enum StateKind { kRenderState, kStageState, kLightEnable, kTextureFilter };
// The Direct3D states the plug-in sets, for the keys of the device's states.
enum DeviceStateKind { kDeviceRender, kDeviceStage };

// The operations that set one render state, and the state in the engine's
// numbering: SetZEnable(false) and SetRenderState(RENDERSTATE_ZENABLE, 0)
// set the same thing.
struct NamedState {
    Operation operation;
    int state;
};
constexpr NamedState kNamedStates[] = {
    {Operation::Device_SetShadeMode, RENDERSTATE_SHADEMODE},
    {Operation::Device_SetFillMode, RENDERSTATE_FILLMODE},
    {Operation::Device_SetCullMode, RENDERSTATE_CULLMODE},
    {Operation::Device_SetZEnable, RENDERSTATE_ZENABLE},
    {Operation::Device_SetZFunc, RENDERSTATE_ZFUNC},
    {Operation::Device_SetAlphaBlendEnable, RENDERSTATE_ALPHABLENDENABLE},
    {Operation::Device_SetSrcBlend, RENDERSTATE_SRCBLEND},
    {Operation::Device_SetDestBlend, RENDERSTATE_DESTBLEND},
    {Operation::Device_SetLighting, RENDERSTATE_LIGHTING},
    {Operation::Device_SetAmbient, RENDERSTATE_AMBIENT},
};

// Operations after which the plug-in has set the device's state itself.
constexpr Operation kResettingOperations[] = {
    Operation::Device_SetDefaultStates, Operation::Device_SetDisplayMode,
    Operation::Device_SetDisplayMode2, Operation::Device_ResetDevice,
    Operation::Device_CloseDisplay,
};

constexpr unsigned kQuadPrimitives = 2;

uint64_t Argument(const CallFacts& call, size_t index) {
    return index < call.arguments.size() ? call.arguments[index] : 0;
}

bool Is(const CallFacts& call, Operation operation) {
    return call.operation == static_cast<uint16_t>(operation);
}

// "IDirect3DDevice8::SetRenderState(7, 1) = 0x00000000" -> its name and its
// numeric arguments ("*" and other non-numbers read as 0).
std::string SplitCall(const std::string& line, std::vector<uint64_t>* arguments) {
    const size_t open = line.find('('), close = line.find(')', open);
    if (open == std::string::npos || close == std::string::npos) return line;
    for (size_t at = open + 1; at < close;) {
        const size_t comma = std::min(line.find(',', at), close);
        arguments->push_back(std::strtoull(line.c_str() + at, nullptr, 10));
        at = comma + 1;
    }
    return line.substr(0, open);
}

std::string Fixed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The CSV fields of a count that may be unknown.
std::string Known(int64_t value) { return value < 0 ? "" : std::to_string(value); }

}  // namespace

FrameCounts& FrameStatistics::Row(int frame) {
    if (m_Frames.empty() || m_Frames.back().frame != frame) {
        m_Frames.emplace_back();
        m_Frames.back().frame = frame;
    }
    return m_Frames.back();
}

void FrameStatistics::CountState(FrameCounts& row, const std::tuple<int, int, int>& key,
                                 uint64_t value) {
    ++row.stateChanges;
    const auto known = m_HostStates.find(key);
    if (known != m_HostStates.end() && known->second == value) ++row.stateRedundant;
    m_HostStates[key] = value;
}

void FrameStatistics::ForgetStages() {
    m_Bound.clear();
    for (auto it = m_HostStates.begin(); it != m_HostStates.end();)
        it = std::get<0>(it->first) == kStageState ? m_HostStates.erase(it) : std::next(it);
}

void FrameStatistics::CountDirect3D(FrameCounts& row, const CallFacts& call, bool isDraw) {
    if (!call.journal) return;
    row.passes = std::max<int64_t>(row.passes, 0);
    row.deviceStates = std::max<int64_t>(row.deviceStates, 0);
    row.deviceRedundant = std::max<int64_t>(row.deviceRedundant, 0);
    if (!call.direct3dCalls) return;
    for (const std::string& line : *call.direct3dCalls) {
        std::vector<uint64_t> arguments;
        const std::string name = SplitCall(line, &arguments);
        if (isDraw && name.compare(0, 27, "IDirect3DDevice8::DrawPrimi") == 0) ++row.passes;
        if (isDraw && name.compare(0, 34, "IDirect3DDevice8::DrawIndexedPrimi") == 0) ++row.passes;
        std::tuple<int, uint64_t, uint64_t> key;
        uint64_t value = 0;
        if (name == "IDirect3DDevice8::SetRenderState" && arguments.size() == 2) {
            key = {kDeviceRender, 0, arguments[0]};
            value = arguments[1];
        } else if (name == "IDirect3DDevice8::SetTextureStageState" && arguments.size() == 3) {
            key = {kDeviceStage, arguments[0], arguments[1]};
            value = arguments[2];
        } else {
            continue;
        }
        ++row.deviceStates;
        const auto known = m_DeviceStates.find(key);
        if (known != m_DeviceStates.end() && known->second == value) ++row.deviceRedundant;
        m_DeviceStates[key] = value;
    }
}

void FrameStatistics::Count(int frame, bool endsFrame, const CallFacts& call) {
    FrameCounts& row = Row(frame);
    ++row.calls;
    row.ended |= endsFrame;
    row.cpuSeconds += call.cpuSeconds;
    row.differences += call.differs ? 1 : 0;

    bool isDraw = true;
    if (Is(call, Operation::Device_RenderVertexBuffer)) {
        ++row.drawsBuffer;
        row.primitives += Argument(call, 1);
    } else if (Is(call, Operation::Device_RenderVertexBufferEx)) {
        ++row.drawsBufferEx;
        row.primitives += Argument(call, 2);
    } else if (Is(call, Operation::Device_RenderVertices)) {
        ++row.drawsVertices;
        row.primitives += Argument(call, 1);
    } else if (Is(call, Operation::Device_RenderScreenQuad)) {
        ++row.drawsQuad;
        row.primitives += kQuadPrimitives;
    } else {
        isDraw = false;
    }
    CountDirect3D(row, call, isDraw);
    // A material's layers set the texture stages and their textures at every pass.
    if (isDraw && m_Material != 0) ForgetStages();

    for (const NamedState& named : kNamedStates)
        if (Is(call, named.operation)) CountState(row, {kRenderState, 0, named.state}, Argument(call, 0));
    for (Operation resetting : kResettingOperations)
        if (Is(call, resetting)) m_HostStates.clear(), m_Bound.clear();

    if (Is(call, Operation::Device_SetRenderState)) {
        CountState(row, {kRenderState, 0, static_cast<int>(Argument(call, 0))}, Argument(call, 1));
    } else if (Is(call, Operation::Device_SetTextureStageState)) {
        CountState(row, {kStageState, static_cast<int>(Argument(call, 0)), static_cast<int>(Argument(call, 1))},
                   Argument(call, 2));
    } else if (Is(call, Operation::Device_DisableTexturing)) {
        CountState(row, {kStageState, 0, TEXTURESTATE_COLOROP}, TEXTUREOP_DISABLE);
    } else if (Is(call, Operation::Device_EnableLight)) {
        CountState(row, {kLightEnable, 0, static_cast<int>(Argument(call, 0))}, Argument(call, 1));
    } else if (Is(call, Operation::Device_SetTextureFilter)) {
        CountState(row, {kTextureFilter, 0, 0}, Argument(call, 0));
    } else if (Is(call, Operation::Device_SetMaterial)) {
        ++row.materialSwitches;
        if (Argument(call, 0) == m_Material) ++row.materialRedundant;
        m_Material = Argument(call, 0);
        m_HostStates.clear();
        m_Bound.clear();
    } else if (Is(call, Operation::Device_ReleaseMaterial)) {
        if (Argument(call, 0) == m_Material) m_Material = 0;
    } else if (Is(call, Operation::Device_SetTexture)) {
        ++row.textureBinds;
        const auto bound = m_Bound.find(Argument(call, 0));
        if (bound != m_Bound.end() && bound->second == Argument(call, 1)) ++row.textureRedundant;
        m_Bound[Argument(call, 0)] = Argument(call, 1);
    } else if (Is(call, Operation::Device_CreateVertexBuffer) && call.newObject != 0) {
        m_BufferBytes[call.newObject] = Argument(call, 0) * sizeof(Vertex);
    } else if (Is(call, Operation::Device_CreateIndexBuffer) && call.newObject != 0) {
        m_BufferBytes[call.newObject] = Argument(call, 0) * sizeof(unsigned short);
    } else if (Is(call, Operation::VertexBuffer_Resize)) {
        m_BufferBytes[call.object] = Argument(call, 0) * sizeof(Vertex);
    } else if (Is(call, Operation::IndexBuffer_Resize)) {
        m_BufferBytes[call.object] = Argument(call, 0) * sizeof(unsigned short);
    } else if (Is(call, Operation::VertexBuffer_Upload) || Is(call, Operation::IndexBuffer_Upload)) {
        ++row.uploads;
        row.uploadBytes += m_BufferBytes[call.object];
    } else if (Is(call, Operation::Device_CreateTextureFromFile) ||
               Is(call, Operation::Device_CreateTextureFromFileSequence) ||
               Is(call, Operation::Layer_LoadTexture) || Is(call, Operation::Material_AddLayer3)) {
        ++row.textureLoads;
    } else if (Is(call, Operation::Texture_UpdateRect) || Is(call, Operation::Texture_UpdateRectAllFrames) ||
               Is(call, Operation::Texture_UpdateFrame) || Is(call, Operation::Texture_UpdateAllFrames) ||
               Is(call, Operation::Texture_UpdateRect2) || Is(call, Operation::Texture_UpdateRectAllFrames2) ||
               Is(call, Operation::Texture_UpdateFrame2) || Is(call, Operation::Texture_UpdateAllFrames2)) {
        ++row.textureUpdates;
    } else if (Is(call, Operation::Device_PrintText) || Is(call, Operation::Font_Print)) {
        ++row.textLines;
    }
}

bool FrameStatistics::WriteCsv(const std::string& path) const {
    std::ofstream file(path);
    file << "frame,ended,calls,draws_buffer,draws_buffer_ex,draws_vertices,draws_quad,primitives,passes,"
            "material_switches,material_redundant,texture_binds,texture_redundant,state_changes,"
            "state_redundant,d3d_state_sets,d3d_state_redundant,buffer_uploads,upload_bytes,"
            "texture_loads,texture_updates,text_lines,cpu_ms,differences\n";
    for (const FrameCounts& f : m_Frames) {
        char cpu[32];
        std::snprintf(cpu, sizeof cpu, "%.3f", f.cpuSeconds * 1e3);
        file << f.frame << ',' << (f.ended ? 1 : 0) << ',' << f.calls << ',' << f.drawsBuffer << ','
             << f.drawsBufferEx << ',' << f.drawsVertices << ',' << f.drawsQuad << ',' << f.primitives
             << ',' << Known(f.passes) << ',' << f.materialSwitches << ',' << f.materialRedundant << ','
             << f.textureBinds << ',' << f.textureRedundant << ',' << f.stateChanges << ','
             << f.stateRedundant << ',' << Known(f.deviceStates) << ',' << Known(f.deviceRedundant)
             << ',' << f.uploads << ',' << f.uploadBytes << ',' << f.textureLoads << ','
             << f.textureUpdates << ',' << f.textLines << ',' << cpu << ',' << f.differences << '\n';
    }
    file.close();
    return !file.fail();
}

std::string FrameStatistics::Summary() const {
    // The steady frames: whole frames after the first.
    std::vector<const FrameCounts*> steady;
    for (const FrameCounts& f : m_Frames)
        if (f.ended && &f != &m_Frames.front()) steady.push_back(&f);
    char text[1024];
    if (steady.empty()) {
        std::snprintf(text, sizeof text, "Statistics: %zu frame rows, no whole frame after the first\n",
                      m_Frames.size());
        return text;
    }
    const double n = static_cast<double>(steady.size());
    auto mean = [&](auto field) {
        double sum = 0;
        for (const FrameCounts* f : steady) sum += static_cast<double>(field(*f));
        return sum / n;
    };
    const bool journal = steady.front()->passes >= 0;
    std::string out;
    std::snprintf(text, sizeof text,
                  "Statistics of %zu whole frames after the first (means per frame):\n"
                  "  draws %.1f (vertex buffer %.1f, ex %.1f, vertices %.1f, screen quads %.1f), "
                  "primitives %.1f, passes %s\n"
                  "  material switches %.1f (%.1f redundant), texture binds %.1f (%.1f redundant), "
                  "state changes %.1f (%.1f redundant)\n",
                  steady.size(),
                  mean([](const FrameCounts& f) { return f.drawsBuffer + f.drawsBufferEx + f.drawsVertices + f.drawsQuad; }),
                  mean([](const FrameCounts& f) { return f.drawsBuffer; }),
                  mean([](const FrameCounts& f) { return f.drawsBufferEx; }),
                  mean([](const FrameCounts& f) { return f.drawsVertices; }),
                  mean([](const FrameCounts& f) { return f.drawsQuad; }),
                  mean([](const FrameCounts& f) { return f.primitives; }),
                  journal ? Fixed(mean([](const FrameCounts& f) { return f.passes; })).c_str()
                          : "unknown (no journal)",
                  mean([](const FrameCounts& f) { return f.materialSwitches; }),
                  mean([](const FrameCounts& f) { return f.materialRedundant; }),
                  mean([](const FrameCounts& f) { return f.textureBinds; }),
                  mean([](const FrameCounts& f) { return f.textureRedundant; }),
                  mean([](const FrameCounts& f) { return f.stateChanges; }),
                  mean([](const FrameCounts& f) { return f.stateRedundant; }));
    out += text;
    if (journal) {
        std::snprintf(text, sizeof text,
                      "  Direct3D states set %.1f (%.1f to the value already set)\n",
                      mean([](const FrameCounts& f) { return f.deviceStates; }),
                      mean([](const FrameCounts& f) { return f.deviceRedundant; }));
        out += text;
    }
    std::snprintf(text, sizeof text,
                  "  buffer uploads %.1f (%.0f bytes), texture loads %.1f, text lines %.1f, "
                  "plug-in processor time %.3f ms\n",
                  mean([](const FrameCounts& f) { return f.uploads; }),
                  mean([](const FrameCounts& f) { return f.uploadBytes; }),
                  mean([](const FrameCounts& f) { return f.textureLoads; }),
                  mean([](const FrameCounts& f) { return f.textLines; }),
                  mean([](const FrameCounts& f) { return f.cpuSeconds * 1e3; }));
    out += text;
    return out;
}

}  // namespace orvreplay
