// The player's state between records (Player.cpp reads the records,
// PlayerCalls.cpp makes the calls).
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "capture/CaptureReader.h"
#include "capture/Player.h"
#include "capture/RecordCursor.h"
#include "capture/ReplayInput.h"
#include "capture/ValueWriter.h"

namespace orvcapture {

// A replay makes at most this many objects.
constexpr uint32_t kMaxObjects = 1u << 20;

struct Player::Impl {
    // One object the capture names.
    struct Slot {
        void* pointer = nullptr;
        Interface kind = Interface::Plugin;
        bool alive = false;
        uint32_t owner = 0;               // a layer's material
        std::vector<uint32_t> layers;     // a material's layers handed out
        bool made = false;                // made by the device for the host (not borrowed)
    };

    // A call as recorded.
    struct Call {
        Operation op = Operation::Plugin_Create;
        uint32_t object = 0;
        std::vector<Value> arguments, results;
        std::vector<bool> argumentIsNew, resultIsNew;
        std::string rawResults;
    };

    CaptureReader reader;
    std::string error;
    MachineInfo machine;
    std::string firstChunk;  // read by Open for the machine record
    uint32_t firstFlags = 0;
    bool opened = false;

    // The replay's state.
    bool dryRun = true;  // Check: no plug-in
    const ReplayOptions* options = nullptr;
    Kernel* kernel = nullptr;
    PluginEntry plugin;
    RenderDevice* device = nullptr;
    ReplayInput input;
    std::vector<Slot> objects{Slot()};  // number 0 is null
    std::unordered_map<void*, uint32_t> numbers;  // live replay objects
    ReplayOutcome outcome;
    uint64_t calls = 0;
    uint32_t frames = 0;
    uint64_t memoryBytes = 0;
    uint32_t memoryWrites = 0;
    std::string refusal;  // why a record is malformed
    bool stop = false;

    bool Open();
    ReplayOutcome Replay();
    bool RunBatch(const std::string& records);
    bool Record(RecordCursor& cursor);
    bool Memory(RecordCursor& cursor);
    bool Play(Call& call);
    bool Invoke(Call& call, std::string* replayed, bool* skipped);
    // The object a result names: bound to what the replay returned when the
    // recording handed it out new; its encoding as the replay saw it.
    bool Bind(const Call& call, size_t index, void* pointer, Interface kind, uint32_t owner, ValueWriter& out);
    // The objects a call without a plug-in hands out, as recorded.
    bool BindRecorded(const Call& call);
    void Destroyed(uint32_t number);
    bool Refuse(const std::string& why) {
        if (refusal.empty()) refusal = why;
        return false;
    }
    void Report(const Call& call, const std::string& recorded, const std::string& replayed);
    void Finish();
};


// A value's name for differences.
std::string Describe(const std::vector<Value>& values);
const char* KindName(Interface kind);

}  // namespace orvcapture
