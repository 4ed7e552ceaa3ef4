#include "capture/SessionRecorder.h"

#include <zlib.h>

#include <cstring>

#include "capture/RecordingDevice.h"
#include "host/File.h"

namespace orvcapture {

namespace {

// Runs of changed bytes closer than this are written as one range.
constexpr size_t kMergeGap = 32;
// Bytes compared at a time while looking for the next change.
constexpr size_t kCompareBlock = 64;
// Files larger than this are recorded as read but not stored.
constexpr uint64_t kMaxStoredFile = kMaxValueBytes;
// The content number of a file too large to store.
constexpr uint32_t kContentNotStored = 0xFFFFFFFFu;

// A digest of a file's bytes that tells contents apart: two hashes and the size.
std::string DigestOf(const uint8_t* bytes, size_t size) {
    uint64_t fnv = 14695981039346656037ull;
    for (size_t i = 0; i < size; ++i) fnv = (fnv ^ bytes[i]) * 1099511628211ull;
    const uint32_t crc = static_cast<uint32_t>(crc32(0, bytes, static_cast<uInt>(size)));
    std::string digest;
    ValueWriter out(&digest);
    out.Raw(&fnv, sizeof fnv);
    out.Word32(crc);
    const uint64_t length = size;
    out.Raw(&length, sizeof length);
    return digest;
}

}  // namespace

// ---- Calls ------------------------------------------------------------------

CallRecord::CallRecord(SessionRecorder& recorder, Operation op, uint32_t object)
    : m_Recorder(recorder), m_Operation(op), m_Buffer(recorder.Scratch()), m_Out(&m_Buffer) {
    m_Buffer.clear();
    m_Out.Byte(static_cast<uint8_t>(RecordKind::Call));
    m_Out.Word16(static_cast<uint16_t>(op));
    m_Out.Word32(object);
    m_CountAt = m_Buffer.size();
    m_Out.Byte(0);
}

void CallRecord::StartResults() {
    if (m_ResultCountAt) return;
    m_ArgumentCount = m_Out.Count();
    m_Buffer[m_CountAt] = static_cast<char>(m_ArgumentCount);
    m_ResultCountAt = m_Buffer.size();
    m_Out.Byte(0);
}

CallRecord::~CallRecord() {
    StartResults();
    m_Buffer[m_ResultCountAt] = static_cast<char>(m_Out.Count() - m_ArgumentCount);
    m_Recorder.CallWritten(m_Operation == Operation::Device_EndScene);
}

// ---- The session ------------------------------------------------------------

SessionRecorder::~SessionRecorder() { End(); }

bool SessionRecorder::Open(const char* path) {
    if (!m_Writer.Open(path)) return false;
    ValueWriter out(&m_Writer.Pending());
    out.Byte(static_cast<uint8_t>(RecordKind::Machine));
    out.Put(static_cast<uint32_t>(kRendererVersion));
    out.Put(static_cast<uint32_t>(sizeof(void*) * 8));
    out.Put(ORV_CAPTURE_BUILD);
    return true;
}

RenderDevice* SessionRecorder::Begin(RenderDevice* device, std::unique_ptr<SessionRecorder> self) {
    if (!device) {
        CallRecord(*this, Operation::Plugin_Create, 0).Results(ObjectValue{});
        End();
        return nullptr;
    }
    CallRecord record(*this, Operation::Plugin_Create, 0);
    RecordingDevice* wrapper = new RecordingDevice(std::move(self), device);
    wrapper->m_Number = m_NextNumber++;
    m_ByWrapper[wrapper->HostPointer()] = wrapper;
    record.Results(ObjectValue{wrapper->Number(), true});
    return wrapper;
}

void SessionRecorder::End() {
    if (m_bEnded) return;
    m_bEnded = true;
    if (m_bInstalled && &HostInput::Current() == this) HostInput::Install(m_pPrevious);
    m_bInstalled = false;
    m_Writer.Close();
    m_ByInner.clear();
    m_ByWrapper.clear();
    m_Wrappers.clear();
}

void SessionRecorder::CallWritten(bool endsFrame) {
    m_Writer.Pending().append(m_Scratch);
    if (endsFrame)
        m_Writer.Flush(kChunkFrameEnd);
    else
        m_Writer.Written();
}

// ---- Objects ----------------------------------------------------------------

Recorded* SessionRecorder::Adopt(std::unique_ptr<Recorded> wrapper) {
    Recorded* adopted = wrapper.get();
    adopted->m_Number = m_NextNumber++;
    m_ByInner[adopted->InnerObject()] = adopted;
    m_ByWrapper[adopted->HostPointer()] = adopted;
    m_Wrappers.push_back(std::move(wrapper));
    return adopted;
}

void SessionRecorder::Forget(Recorded* wrapper) {
    if (!wrapper || wrapper->Gone()) return;
    auto found = m_ByInner.find(wrapper->InnerObject());
    if (found != m_ByInner.end() && found->second == wrapper) m_ByInner.erase(found);
    wrapper->Drop();
}

// ---- Host memory ------------------------------------------------------------

void SessionRecorder::Resync(const void* memory, size_t size, Shadow* shadow) {
    shadow->memory = static_cast<const uint8_t*>(memory);
    if (memory)
        shadow->bytes.assign(static_cast<const char*>(memory), size);
    else
        shadow->bytes.clear();
}

void SessionRecorder::RecordChanges(uint32_t object, MemoryRegion region, uint32_t frame, const void* memory,
                                    size_t size, Shadow* shadow) {
    if (!memory) return;
    const uint8_t* now = static_cast<const uint8_t*>(memory);
    if (shadow->bytes.size() != size) {
        // Not the memory last seen: the whole of it is what the host wrote.
        if (size) WriteMemory(object, region, frame, 0, now, size);
        Resync(memory, size, shadow);
        m_Writer.Written();
        return;
    }
    shadow->memory = now;
    const uint8_t* before = reinterpret_cast<const uint8_t*>(shadow->bytes.data());
    size_t at = 0;
    while (at < size) {
        // The next changed byte, a block at a time.
        while (at + kCompareBlock <= size && std::memcmp(now + at, before + at, kCompareBlock) == 0)
            at += kCompareBlock;
        while (at < size && now[at] == before[at]) ++at;
        if (at >= size) break;
        // The run goes on until kMergeGap bytes in a row are unchanged.
        size_t end = at + 1, equal = 0;
        while (end < size && equal < kMergeGap) {
            equal = now[end] == before[end] ? equal + 1 : 0;
            ++end;
        }
        end -= equal;
        WriteMemory(object, region, frame, at, now + at, end - at);
        std::memcpy(&shadow->bytes[at], now + at, end - at);
        at = end;
    }
    m_Writer.Written();
}

void SessionRecorder::WriteMemory(uint32_t object, MemoryRegion region, uint32_t frame, size_t offset,
                                  const uint8_t* bytes, size_t size) {
    ValueWriter out(&m_Writer.Pending());
    out.Byte(static_cast<uint8_t>(RecordKind::Memory));
    out.Word32(object);
    out.Byte(static_cast<uint8_t>(region));
    out.Word32(frame);
    out.Word32(static_cast<uint32_t>(offset));
    out.Sized(bytes, static_cast<uint32_t>(size));
}

// ---- Host input -------------------------------------------------------------

uint32_t SessionRecorder::TickCount() {
    const uint32_t tick = (m_pPrevious ? *m_pPrevious : HostInput::System()).TickCount();
    ValueWriter out(&m_Writer.Pending());
    out.Byte(static_cast<uint8_t>(RecordKind::Clock));
    out.Word32(tick);
    return tick;
}

File* SessionRecorder::OpenReading(Kernel* kernel, const char* path) {
    File* file = (m_pPrevious ? *m_pPrevious : HostInput::System()).OpenReading(kernel, path);
    uint32_t content = kContentNotStored;
    if (file) {
        const uint64_t size = file->GetSize();
        if (size <= kMaxStoredFile) {
            const uint8_t* bytes = static_cast<const uint8_t*>(size ? file->GetBuffer() : nullptr);
            if (size && !bytes) {
                // A file without a buffer is read through and put back where it was.
                m_ReadBuffer.resize(static_cast<size_t>(size));
                const unsigned long position = file->Tell();
                const bool read = file->Seek(0, File::FromStart) &&
                                  file->Read(m_ReadBuffer.data(), static_cast<unsigned long>(size)) == size;
                file->Seek(static_cast<long>(position), File::FromStart);
                if (read) bytes = m_ReadBuffer.data();
            }
            if (bytes || !size) {
                const std::string digest = DigestOf(bytes, static_cast<size_t>(size));
                auto known = m_Contents.find(digest);
                if (known != m_Contents.end()) {
                    content = known->second;
                } else {
                    content = static_cast<uint32_t>(m_Contents.size());
                    m_Contents.emplace(digest, content);
                    ValueWriter out(&m_Writer.Pending());
                    out.Byte(static_cast<uint8_t>(RecordKind::Content));
                    out.Word32(content);
                    out.Sized(bytes, static_cast<uint32_t>(size));
                }
            }
        }
    }
    ValueWriter out(&m_Writer.Pending());
    out.Byte(static_cast<uint8_t>(RecordKind::FileOpen));
    out.Sized(path ? path : "", path ? static_cast<uint32_t>(std::strlen(path)) : 0);
    out.Byte(file ? 1 : 0);
    out.Word32(content);
    m_Writer.Written();
    return file;
}

}  // namespace orvcapture
