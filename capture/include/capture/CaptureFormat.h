// The capture file's constants (capture/FORMAT.md describes the layout).
#pragma once

#include <cstddef>
#include <cstdint>

#include "capture/Operations.h"
#include "host/HostTypes.h"
#include "host/Matrix3D.h"
#include "host/RenderDevice.h"

namespace orvcapture {

// The environment variable that switches recording on: the capture's path.
constexpr const char kCaptureVariable[] = "ORVD3D_CAPTURE";
// The file name extension host tools give captures.
constexpr const char kCaptureExtension[] = ".orvcap";

// Header: magic, format version, layout version, all little-endian.
constexpr char kMagic[8] = {'O', 'R', 'V', 'C', 'A', 'P', '\r', '\n'};
constexpr uint32_t kFormatVersion = 1;
constexpr size_t kHeaderSize = sizeof(kMagic) + 4 + 4;

// The interface's layout: a number that changes whenever the operations'
// tables or the records passed through them change shape.
constexpr uint32_t LayoutHash(uint32_t hash, uint32_t value) {
    for (int byte = 0; byte < 4; ++byte) hash = (hash ^ ((value >> (8 * byte)) & 0xFF)) * 16777619u;
    return hash;
}
constexpr uint32_t ComputeLayoutVersion() {
    uint32_t hash = LayoutHash(2166136261u, static_cast<uint32_t>(kRendererVersion));
    for (uint16_t count : kSlotCounts) hash = LayoutHash(hash, count);
    const uint32_t sizes[] = {sizeof(Vertex), sizeof(ScreenVertex), sizeof(DisplayMode),
                              sizeof(LightDesc), sizeof(Matrix3D), sizeof(Color)};
    for (uint32_t size : sizes) hash = LayoutHash(hash, size);
    return hash;
}
constexpr uint32_t kLayoutVersion = ComputeLayoutVersion();

// Chunk header: magic "CHNK", flags, stored (compressed) length, raw length,
// crc32 of the stored bytes; then the stored bytes.
constexpr uint32_t kChunkMagic = 0x4B4E4843;  // "CHNK" read as little-endian
constexpr size_t kChunkHeaderSize = 5 * 4;
enum ChunkFlags : uint32_t {
    kChunkMidFrame = 0,     // more of the same frame follows
    kChunkFrameEnd = 1,     // ends with a frame's end (EndScene)
    kChunkSessionEnd = 2,   // the last chunk of a session that ended
};
// A chunk's raw records are at most this long; a reader refuses longer ones.
constexpr uint32_t kMaxChunkBytes = 64u << 20;
// The writer starts a new chunk mid-frame past this many raw bytes.
constexpr uint32_t kChunkTarget = 1u << 20;

// Records inside chunks: a kind byte, then its fields.
enum class RecordKind : uint8_t {
    Machine = 1,   // text: renderer version, pointer size, build
    Call = 2,      // op u16, object u32, argument values, result values
    Clock = 3,     // u32 reading
    FileOpen = 4,  // path text, found u8, content number u32
    Content = 5,   // content number u32, bytes (each distinct content once)
    Memory = 6,    // object u32, region u8, frame u32, offset u32, bytes
};

// Values of a call's arguments and results: a tag byte, then the value.
enum class ValueTag : uint8_t {
    U32 = 1,
    I32 = 2,
    F32 = 3,
    Bool = 4,
    Text = 5,     // u32 length, bytes
    Object = 6,   // u32 capture-local number, 0 for null
    NewObject = 7,  // u32: an object the plug-in handed out for the first time
    Bytes = 8,    // u32 length, bytes
    Pointer = 9,  // u8: 1 when the plug-in gave a non-null pointer
};
// A call has at most this many argument and result values.
constexpr uint32_t kMaxValues = 64;
// Texts and byte values are at most this long.
constexpr uint32_t kMaxValueBytes = 16u << 20;

// Host memory the plug-in handed out, written back before the call that
// hands it back.
enum class MemoryRegion : uint8_t {
    Vertices = 1,     // a VertexBuffer's GetVertices
    Indices = 2,      // an IndexBuffer's GetIndices
    QuadVertices = 3, // a ScreenQuad's GetVertices
    TextureFrame = 4, // a Texture's GetFrameData(frame) / GetData (frame 0)
};

}  // namespace orvcapture
