// What each replayed frame asked of the renderer, counted from the host's
// calls as the replay makes them (and, on the stand-in runtime, from the
// Direct3D calls they made), written as CSV with one row a frame and a short
// summary.
//
// Counted per frame:
// - draws by kind (RenderVertexBuffer, RenderVertexBufferEx, RenderVertices,
//   RenderScreenQuad) and the primitives they asked for;
// - passes: the Direct3D draws the host's draws made, counted from the
//   stand-in runtime's journal; empty where the runtime keeps none (Windows);
// - material switches, texture binds and state changes (render states, in the
//   engine's numbering whichever operation sets them, texture-stage states,
//   lights switched on or off, the texture filter), each with how many set
//   what the host had already set. What the host set is forgotten where the
//   plug-in sets the device itself: a material made current, the default
//   states, a display mode or device reset; the texture stages and their
//   textures also at every draw with a material (its layers set them);
// - on the stand-in, the Direct3D render and texture-stage states the
//   plug-in set, and how many of those set the device's current value;
// - buffer uploads and their bytes (the buffer's size at the upload), texture
//   loads from files and texture updates, lines of text;
// - the plug-in's processor time for the frame's calls: the thread's clock
//   from the end of one replayed call to the end of the next, leaving out
//   what orvreplay does between calls (saving pictures, journals) but not
//   the player's reading of the call, nor, on the stand-in, the runtime's
//   own work; and the calls whose result differed.
// A frame's row holds the calls up to its EndScene; the first also holds
// everything before it (creating the device, loading), and a last row
// without an end what came after the last frame.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace orvreplay {

// One replayed call as the statistics see it.
struct CallFacts {
    uint16_t operation = 0;  // orvcapture::Operation
    uint32_t object = 0;     // the object called, 0 for the device
    // The recorded arguments in declaration order: numbers, booleans as 0/1,
    // objects as their capture-local numbers (0 for none).
    std::vector<uint64_t> arguments;
    uint32_t newObject = 0;  // the object the call handed out, 0 for none
    double cpuSeconds = 0.0;
    bool differs = false;
    // The stand-in runtime's Direct3D calls made during the call
    // (orvhostPlatform.h's lines); `journal` false where there is no journal.
    bool journal = false;
    const std::vector<std::string>* direct3dCalls = nullptr;
};

struct FrameCounts {
    int frame = 0;
    bool ended = false;
    uint64_t calls = 0;
    uint64_t drawsBuffer = 0, drawsBufferEx = 0, drawsVertices = 0, drawsQuad = 0;
    uint64_t primitives = 0;
    int64_t passes = -1;  // -1: unknown
    uint64_t materialSwitches = 0, materialRedundant = 0;
    uint64_t textureBinds = 0, textureRedundant = 0;
    uint64_t stateChanges = 0, stateRedundant = 0;
    int64_t deviceStates = -1, deviceRedundant = -1;  // -1: unknown
    uint64_t uploads = 0, uploadBytes = 0, textureLoads = 0, textureUpdates = 0, textLines = 0;
    double cpuSeconds = 0.0;
    uint64_t differences = 0;
};

class FrameStatistics {
public:
    // Counts `call` into frame `frame` (the frames as the capture numbers
    // them). `endsFrame`: the call is the frame's EndScene.
    void Count(int frame, bool endsFrame, const CallFacts& call);

    const std::vector<FrameCounts>& Frames() const { return m_Frames; }
    // The CSV file: a header line, then one line a frame.
    bool WriteCsv(const std::string& path) const;
    // A few lines: the frames, and per frame (the whole frames after the
    // first, which also holds the loading) the draws, passes, switches, state
    // changes with the redundant ones, uploads and processor time.
    std::string Summary() const;

private:
    FrameCounts& Row(int frame);
    void CountState(FrameCounts& row, const std::tuple<int, int, int>& key, uint64_t value);
    void CountDirect3D(FrameCounts& row, const CallFacts& call, bool isDraw);
    void ForgetStages();

    std::vector<FrameCounts> m_Frames;
    // What the host set: (kind, stage or 0, state) -> value.
    std::map<std::tuple<int, int, int>, uint64_t> m_HostStates;
    std::map<uint64_t, uint64_t> m_Bound;  // stage -> texture object
    uint64_t m_Material = 0;
    // Buffers' sizes in bytes by object, from their creation and resizes.
    std::map<uint64_t, uint64_t> m_BufferBytes;
    // The Direct3D device's states as the plug-in set them: (kind, stage, state) -> value.
    std::map<std::tuple<int, uint64_t, uint64_t>, uint64_t> m_DeviceStates;
};

}  // namespace orvreplay
