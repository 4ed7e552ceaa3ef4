#include "capture/Player.h"

#include <cstring>
#include <unordered_map>

#include "capture/PlayerImpl.h"
#include "capture/RecordCursor.h"
#include "capture/ValueWriter.h"
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

}  // namespace

const char* KindName(Interface kind) {
    constexpr const char* kNames[kInterfaceCount] = {"plug-in", "RenderDevice", "Texture", "Material",
                                                     "MaterialLayer", "VertexBuffer", "IndexBuffer",
                                                     "ScreenQuad", "Font"};
    return kNames[static_cast<unsigned>(kind)];
}

std::string Describe(const std::vector<Value>& values) {
    if (values.empty()) return "nothing";
    std::string text;
    for (const Value& value : values) text += (text.empty() ? "" : ", ") + value.Describe();
    return text;
}


std::string Value::Describe() const {
    switch (kind) {
        case Kind::U32: return std::to_string(u);
        case Kind::I32: return std::to_string(i);
        case Kind::F32: {
            char text[32];
            std::snprintf(text, sizeof text, "%.9g", f);
            return text;
        }
        case Kind::Bool: return u ? "true" : "false";
        case Kind::Text: return "\"" + text + "\"";
        case Kind::Object: return u ? "object " + std::to_string(u) : "null";
        case Kind::Bytes: return std::to_string(text.size()) + " bytes";
        case Kind::Pointer: return u ? "a pointer" : "null";
    }
    return "?";
}

std::string Difference::Describe() const {
    return "call " + std::to_string(call) + " (frame " + std::to_string(frame) + ") " + operation + ": recorded " +
           recorded + ", replayed " + replayed;
}

const char* StopReasonName(StopReason reason) {
    switch (reason) {
        case StopReason::End: return "end";
        case StopReason::CutOff: return "cut off";
        case StopReason::DamagedChunk: return "damaged chunk";
        case StopReason::Refused: return "refused";
        case StopReason::Stopped: return "stopped";
        case StopReason::PluginRefused: return "plug-in refused";
    }
    return "?";
}

// ---- Opening ----------------------------------------------------------------

bool Player::Impl::Open() {
    const CaptureReader::Status status = reader.Next(&firstChunk, &firstFlags);
    if (status != CaptureReader::Status::Chunk) {
        error = status == CaptureReader::Status::End ? "the capture holds no records" : reader.Error();
        return false;
    }
    RecordCursor cursor(firstChunk);
    uint8_t kind = 0;
    Value version, bits, build;
    bool isNew = false;
    if (!cursor.Byte(&kind) || kind != static_cast<uint8_t>(RecordKind::Machine) ||
        !cursor.Value(&version, &isNew) || !cursor.Value(&bits, &isNew) || !cursor.Value(&build, &isNew) ||
        version.kind != Value::Kind::U32 || bits.kind != Value::Kind::U32 || build.kind != Value::Kind::Text) {
        error = "the capture does not start with the machine record";
        return false;
    }
    machine.formatVersion = kFormatVersion;
    machine.layoutVersion = kLayoutVersion;
    machine.rendererVersion = version.u;
    machine.pointerBits = bits.u;
    machine.build = build.text;
    firstChunk.erase(0, cursor.Position());
    opened = true;
    return true;
}

Player::Player() : m_pImpl(new Impl) {}
Player::~Player() = default;

bool Player::Open(const std::string& path) {
    if (!m_pImpl->reader.Open(path)) {
        m_pImpl->error = m_pImpl->reader.Error();
        return false;
    }
    return m_pImpl->Open();
}

bool Player::OpenMemory(const uint8_t* data, size_t size) {
    if (!m_pImpl->reader.OpenMemory(data, size)) {
        m_pImpl->error = m_pImpl->reader.Error();
        return false;
    }
    return m_pImpl->Open();
}

const std::string& Player::Error() const { return m_pImpl->error; }
const MachineInfo& Player::Machine() const { return m_pImpl->machine; }

ReplayOutcome Player::Check() {
    static const ReplayOptions kNone;
    m_pImpl->dryRun = true;
    m_pImpl->options = &kNone;
    return m_pImpl->Replay();
}

ReplayOutcome Player::Run(const PluginEntry& plugin, Kernel* kernel, const ReplayOptions& options) {
    if (!plugin.createPlugin || !plugin.setHostInput) {
        ReplayOutcome refused;
        refused.message = "the plug-in has no CreatePlugin or no SetHostInput";
        return refused;
    }
    m_pImpl->dryRun = false;
    m_pImpl->plugin = plugin;
    m_pImpl->kernel = kernel;
    m_pImpl->options = &options;
    plugin.setHostInput(&m_pImpl->input);
    ReplayOutcome outcome = m_pImpl->Replay();
    plugin.setHostInput(nullptr);
    return outcome;
}

// ---- The chunks -------------------------------------------------------------

// Chunks are gathered up to one that ends a frame, then replayed: what
// follows the last whole frame is never replayed.
ReplayOutcome Player::Impl::Replay() {
    if (!opened) {
        outcome.reason = StopReason::Refused;
        outcome.message = error.empty() ? "no capture open" : error;
        return outcome;
    }
    opened = false;  // a capture replays once
    std::string batch = std::move(firstChunk), records;
    uint32_t flags = firstFlags;
    bool ended = false;
    for (;;) {
        if (flags != kChunkMidFrame) {
            const bool ok = RunBatch(batch);
            batch.clear();
            if (!ok) break;
            if (flags == kChunkSessionEnd) {
                ended = true;
                outcome.reason = StopReason::End;
                outcome.message = "end of session";
                break;
            }
        }
        const CaptureReader::Status status = reader.Next(&records, &flags);
        if (status == CaptureReader::Status::Chunk) {
            if (batch.size() + records.size() > kMaxChunkBytes * uint64_t{4}) {
                outcome.reason = StopReason::Refused;
                outcome.message = "a frame larger than the reader takes";
                break;
            }
            batch += records;
            continue;
        }
        const std::string where = " after frame " + std::to_string(frames);
        if (status == CaptureReader::Status::Damaged) {
            outcome.reason = StopReason::DamagedChunk;
            outcome.message = "damaged chunk" + where + ": " + reader.Error();
        } else {
            outcome.reason = StopReason::CutOff;
            // What a process that died wrote last is a whole chunk: the file
            // ends where the session's end is missing, or inside a chunk.
            outcome.message = status == CaptureReader::Status::End
                                  ? "cut off" + where + ": the session's end is missing"
                                  : "cut off" + where + ": " + reader.Error();
        }
        break;
    }
    if (!ended && !refusal.empty()) {
        outcome.reason = StopReason::Refused;
        outcome.message = "record refused at call " + std::to_string(calls + 1) + ": " + refusal;
    }
    Finish();
    outcome.frames = frames;
    outcome.calls = calls;
    return outcome;
}

// A session that ended early (cut off, refused, stopped) leaves objects the
// host never gave back: they go back to the device, the last made first,
// before the device goes.
void Player::Impl::Finish() {
    if (device && !dryRun) {
        for (size_t number = objects.size(); number-- > 1;) {
            const Slot& slot = objects[number];
            if (!slot.alive || !slot.made || !slot.pointer) continue;
            switch (slot.kind) {
                case Interface::VertexBuffer: device->DestroyVertexBuffer(static_cast<VertexBuffer*>(slot.pointer)); break;
                case Interface::IndexBuffer: device->DestroyIndexBuffer(static_cast<IndexBuffer*>(slot.pointer)); break;
                case Interface::Quad: device->DestroyScreenQuad(static_cast<ScreenQuad*>(slot.pointer)); break;
                case Interface::Font: device->DestroyTextFont(static_cast<Font*>(slot.pointer)); break;
                case Interface::Texture: device->ReleaseTexture(static_cast<Texture*>(slot.pointer)); break;
                case Interface::Material: device->ReleaseMaterial(static_cast<Material*>(slot.pointer)); break;
                default: break;
            }
        }
        delete device;
    }
    device = nullptr;
    numbers.clear();
}

bool Player::Impl::RunBatch(const std::string& records) {
    RecordCursor cursor(records);
    while (!cursor.AtEnd() && !stop)
        if (!Record(cursor)) return false;
    if (cursor.Failed()) return Refuse("a record runs past its chunk");
    return !stop;
}

bool Player::Impl::Record(RecordCursor& cursor) {
    uint8_t kind = 0;
    if (!cursor.Byte(&kind)) return Refuse("a record runs past its chunk");
    switch (static_cast<RecordKind>(kind)) {
        case RecordKind::Clock: {
            uint32_t tick = 0;
            if (!cursor.Word32(&tick)) return Refuse("a clock record runs past its chunk");
            input.AddClock(tick);
            return true;
        }
        case RecordKind::Content: {
            uint32_t number = 0;
            std::string bytes;
            if (!cursor.Word32(&number) || !cursor.Sized(&bytes)) return Refuse("a file's content is cut short");
            if (!input.AddContent(number, std::move(bytes)))
                return Refuse("file content " + std::to_string(number) + " out of order");
            return true;
        }
        case RecordKind::FileOpen: {
            std::string path;
            uint8_t found = 0;
            uint32_t content = 0;
            if (!cursor.Sized(&path) || !cursor.Byte(&found) || !cursor.Word32(&content) || found > 1)
                return Refuse("a file record is malformed");
            if (!input.AddFileOpen(std::move(path), found != 0, content))
                return Refuse("file content " + std::to_string(content) + " out of range");
            return true;
        }
        case RecordKind::Memory: return Memory(cursor);
        case RecordKind::Call: {
            Call call;
            uint16_t op = 0;
            uint8_t argumentCount = 0, resultCount = 0;
            if (!cursor.Word16(&op) || !cursor.Word32(&call.object) || !cursor.Byte(&argumentCount) ||
                !cursor.Values(argumentCount, &call.arguments, nullptr, &call.argumentIsNew) ||
                !cursor.Byte(&resultCount) ||
                !cursor.Values(resultCount, &call.results, &call.rawResults, &call.resultIsNew))
                return Refuse("a call record is malformed");
            if (!IsOperation(op)) return Refuse("unknown operation " + std::to_string(op));
            call.op = static_cast<Operation>(op);
            return Play(call);
        }
        case RecordKind::Machine: return Refuse("a second machine record");
    }
    return Refuse("unknown record kind " + std::to_string(kind));
}

// ---- Host memory ------------------------------------------------------------

bool Player::Impl::Memory(RecordCursor& cursor) {
    uint32_t number = 0, frame = 0, offset = 0;
    uint8_t region = 0;
    std::string bytes;
    if (!cursor.Word32(&number) || !cursor.Byte(&region) || !cursor.Word32(&frame) || !cursor.Word32(&offset) ||
        !cursor.Sized(&bytes))
        return Refuse("a memory record is malformed");
    static constexpr Interface kRegionKinds[] = {Interface::Plugin, Interface::VertexBuffer, Interface::IndexBuffer,
                                                 Interface::Quad, Interface::Texture};
    if (region == 0 || region >= sizeof kRegionKinds / sizeof kRegionKinds[0])
        return Refuse("unknown memory region " + std::to_string(region));
    if (number == 0 || number >= objects.size() || objects[number].kind != kRegionKinds[region])
        return Refuse("memory of object number " + std::to_string(number) + ", which is no " +
                      KindName(kRegionKinds[region]));
    Slot& slot = objects[number];
    if (!slot.alive) return Refuse("memory of object " + std::to_string(number) + " after it was destroyed");
    memoryBytes += bytes.size();
    ++memoryWrites;
    if (dryRun || !slot.pointer) return true;
    void* memory = nullptr;
    uint64_t size = 0;
    switch (static_cast<MemoryRegion>(region)) {
        case MemoryRegion::Vertices: {
            auto* buffer = static_cast<VertexBuffer*>(slot.pointer);
            memory = buffer->GetVertices();
            size = uint64_t{buffer->GetVertexCount()} * sizeof(Vertex);
            break;
        }
        case MemoryRegion::Indices: {
            auto* buffer = static_cast<IndexBuffer*>(slot.pointer);
            memory = buffer->GetIndices();
            size = uint64_t{buffer->GetIndexCount()} * sizeof(unsigned short);
            break;
        }
        case MemoryRegion::QuadVertices:
            memory = static_cast<ScreenQuad*>(slot.pointer)->GetVertices();
            size = 4 * sizeof(ScreenVertex);
            break;
        case MemoryRegion::TextureFrame: {
            auto* texture = static_cast<Texture*>(slot.pointer);
            if (frame >= texture->GetFrameCount()) return Refuse("memory of a texture frame it does not have");
            memory = texture->GetFrameData(frame);
            size = uint64_t{texture->GetPitch()} * texture->GetRowCount();
            break;
        }
    }
    if (uint64_t{offset} + bytes.size() > size)
        return Refuse("memory written past the end of object " + std::to_string(number) + "'s memory");
    if (memory && !bytes.empty()) std::memcpy(static_cast<uint8_t*>(memory) + offset, bytes.data(), bytes.size());
    return true;
}

// ---- Calls ------------------------------------------------------------------

void Player::Impl::Destroyed(uint32_t number) {
    if (number == 0 || number >= objects.size() || !objects[number].alive) return;
    Slot& slot = objects[number];
    slot.alive = false;
    auto found = numbers.find(slot.pointer);
    if (found != numbers.end() && found->second == number) numbers.erase(found);
    // A material's layers go with it (layers own nothing: no deeper level).
    for (uint32_t layer : slot.layers) {
        Slot& owned = objects[layer];
        if (!owned.alive) continue;
        owned.alive = false;
        auto entry = numbers.find(owned.pointer);
        if (entry != numbers.end() && entry->second == layer) numbers.erase(entry);
    }
    slot.layers.clear();
}

void Player::Impl::Report(const Call& call, const std::string& recorded, const std::string& replayed) {
    ++outcome.differences;
    Difference difference;
    difference.call = calls + 1;
    difference.frame = frames;
    difference.operation = OperationName(call.op);
    difference.recorded = recorded;
    difference.replayed = replayed;
    if (options->onDifference) options->onDifference(difference);
    if (options->stopAtFirstDifference) {
        stop = true;
        outcome.reason = StopReason::Stopped;
        outcome.message = "stopped at the first difference: " + difference.Describe();
    }
}

bool Player::Impl::Play(Call& call) {
    const uint64_t number = calls + 1;
    const Interface kind = InterfaceOf(call.op);
    if (call.op != Operation::Plugin_Create) {
        if (call.object == 0 || call.object >= objects.size())
            return Refuse("object number " + std::to_string(call.object) + " out of range");
        const Slot& slot = objects[call.object];
        if (slot.kind != kind)
            return Refuse("object " + std::to_string(call.object) + " is no " + KindName(kind));
        if (!slot.alive)
            return Refuse("object " + std::to_string(call.object) + " called after it was destroyed");
    }
    std::string replayed;
    bool skipped = false;
    if (!Invoke(call, &replayed, &skipped)) return false;
    bool matched = true;
    const uint32_t fileReads = input.FilesOpened();
    if (!dryRun) {
        const std::string inputs = input.TakeMismatch();
        if (skipped) {
            matched = false;
            Report(call, Describe(call.results), "no call: its object was not made at replay");
        } else if (replayed != call.rawResults) {
            matched = false;
            std::vector<Value> values;
            RecordCursor decoded(replayed);
            Value value;
            bool isNew = false;
            while (!decoded.AtEnd() && decoded.Value(&value, &isNew)) values.push_back(value);
            Report(call, Describe(call.results), Describe(values));
        } else if (!inputs.empty()) {
            matched = false;
            Report(call, "its recorded inputs", "a plug-in that " + inputs);
        }
    }
    const bool endsFrame = call.op == Operation::Device_EndScene;
    if (options->onCall) {
        CallEvent event;
        event.call = number;
        event.frame = frames;
        event.operation = call.op;
        event.name = OperationName(call.op);
        event.kind = kind;
        event.object = call.object;
        event.endsFrame = endsFrame;
        event.matched = matched;
        event.arguments = &call.arguments;
        event.results = &call.results;
        event.memoryBytes = memoryBytes;
        event.memoryWrites = memoryWrites;
        event.fileReads = fileReads;
        options->onCall(event);
    }
    memoryBytes = 0;
    memoryWrites = 0;
    if (endsFrame) ++frames;
    calls = number;
    return true;
}

}  // namespace orvcapture
