// Replays a capture through a plug-in: serves the captured files and clock to
// it, makes the objects as recorded, calls every operation in order with the
// recorded arguments, writes back what the host wrote into memory the plug-in
// handed out, and compares every result with the recorded one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/Operations.h"
#include "hostinput/HostInput.h"
#include "host/RenderDevice.h"

class Kernel;

namespace orvcapture {

// The plug-in's entry points, as a host program resolved them.
struct PluginEntry {
    CreatePluginFunction createPlugin = nullptr;
    SetHostInputFunction setHostInput = nullptr;
};

// What the capture says about where it was recorded.
struct MachineInfo {
    uint32_t formatVersion = 0;
    uint32_t layoutVersion = 0;
    uint32_t rendererVersion = 0;
    uint32_t pointerBits = 0;
    std::string build;  // system, processor and compiler of the recording plug-in
};

// One argument or result value of a call, decoded.
struct Value {
    enum class Kind : uint8_t { U32, I32, F32, Bool, Text, Object, Bytes, Pointer };
    Kind kind = Kind::U32;
    uint32_t u = 0;     // U32, Bool, Object (capture-local number), Pointer (0/1)
    int32_t i = 0;      // I32
    float f = 0;        // F32
    std::string text;   // Text; Bytes holds the bytes
    std::string Describe() const;
};

// One replayed call, as the caller's callback sees it (after the call).
struct CallEvent {
    uint64_t call = 0;          // from 1, in recorded order
    uint32_t frame = 0;         // frames ended before this call
    Operation operation = Operation::Plugin_Create;
    const char* name = "";      // "RenderDevice::SetRenderState"
    Interface kind = Interface::Plugin;
    uint32_t object = 0;        // the object called; 0 the device
    bool endsFrame = false;     // EndScene
    bool matched = true;        // every result equal to the recorded one
    const std::vector<Value>* arguments = nullptr;  // as recorded (memory: not included)
    const std::vector<Value>* results = nullptr;    // as recorded
    uint64_t memoryBytes = 0;   // host memory written back before this call
    uint32_t memoryWrites = 0;  // ranges written back before this call
    uint32_t fileReads = 0;     // files the plug-in opened during the call
};

// The first difference (or each, when going on): where and what.
struct Difference {
    uint64_t call = 0;
    uint32_t frame = 0;
    std::string operation;
    std::string recorded;
    std::string replayed;
    // "call 412 (frame 3) RenderDevice::GetZEnable: recorded true, replayed false"
    std::string Describe() const;
};

enum class StopReason {
    End,           // the session's end was replayed
    CutOff,        // the file ends before the session did (the recording process died)
    DamagedChunk,  // a chunk failed its check
    Refused,       // the file is not a capture of this version, or a record is malformed
    Stopped,       // the caller asked to stop at the first difference
    PluginRefused, // CreatePlugin failed where the recording's succeeded
};

struct ReplayOptions {
    bool stopAtFirstDifference = false;
    // Screenshots and material files the session saved go here under their
    // base names (never to the recorded paths); "" the working directory.
    std::string outputDirectory;
    std::function<void(const CallEvent&)> onCall;
    std::function<void(const Difference&)> onDifference;
};

struct ReplayOutcome {
    StopReason reason = StopReason::Refused;
    uint32_t frames = 0;       // whole frames replayed
    uint64_t calls = 0;        // calls replayed
    uint64_t differences = 0;  // calls whose results differed
    // "end of session", "cut off after frame 12: the session's end is
    // missing", "damaged chunk after frame 7: checksum mismatch in the chunk
    // at byte 4096", or the refusal.
    std::string message;
};

class Player {
public:
    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Opens the capture and checks its header: false with Error() when the
    // file is missing, truncated or of another format or layout version.
    bool Open(const std::string& path);
    bool OpenMemory(const uint8_t* data, size_t size);
    const std::string& Error() const;
    const MachineInfo& Machine() const;

    // Replays the whole capture through the plug-in (CreatePlugin with
    // `kernel` included; the device is destroyed at the end whatever
    // happens). The plug-in's HostInput is put back to the system's after.
    ReplayOutcome Run(const PluginEntry& plugin, Kernel* kernel, const ReplayOptions& options);

    // Reads and checks every record without a plug-in (no call is made):
    // what Run would refuse, and how far.
    ReplayOutcome Check();

    // The replay's state (private to the library).
    struct Impl;

private:
    std::unique_ptr<Impl> m_pImpl;
};

// A short name for a stop reason: "end", "cut off", "damaged chunk",
// "refused", "stopped", "plug-in refused".
const char* StopReasonName(StopReason reason);

}  // namespace orvcapture
