// One recorded session: the capture file, the objects the plug-in handed out
// with their capture-local numbers, the shadows of host memory, and the
// recording HostInput (clock readings and file reads are recorded, then
// served by the one that was in place before).
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <string>
#include <unordered_map>
#include <vector>

#include "capture/CaptureWriter.h"
#include "capture/ValueWriter.h"
#include "hostinput/HostInput.h"

class Kernel;

namespace orvcapture {

class SessionRecorder;

// The number a capture gives an object the host passed that the plug-in never
// handed out.
constexpr uint32_t kForeignObject = 0xFFFFFFFFu;

// What every recording wrapper shares: its number and the object it wraps.
class Recorded {
public:
    Recorded(SessionRecorder& recorder, Interface kind, void* inner)
        : m_Recorder(recorder), m_Kind(kind), m_pInnerObject(inner) {}
    virtual ~Recorded() = default;

    Interface Kind() const { return m_Kind; }
    uint32_t Number() const { return m_Number; }
    void* InnerObject() const { return m_pInnerObject; }
    // The pointer the host holds: the wrapper as its interface.
    virtual const void* HostPointer() const = 0;
    // Host memory handed out through this object is compared with its
    // shadow and the changes recorded.
    virtual void RecordMemory() {}
    // The plug-in destroyed the object: its memory is no longer read.
    virtual void Drop() { m_bGone = true; }
    bool Gone() const { return m_bGone; }

protected:
    // Records one call of this object: the arguments, the inner call, its
    // result.
    template <typename Fn, typename... A>
    auto Rec(Operation op, Fn&& call, const A&... args);

    friend class SessionRecorder;
    SessionRecorder& m_Recorder;
    Interface m_Kind;
    void* m_pInnerObject;
    uint32_t m_Number = 0;
    bool m_bGone = false;
};

// A shadow of host-writable memory: the bytes last recorded or made by the
// plug-in itself.
struct Shadow {
    const uint8_t* memory = nullptr;
    std::string bytes;
};

// A call being recorded: its arguments first, then (after the inner call) its
// results; written when it ends.
class CallRecord {
public:
    CallRecord(SessionRecorder& recorder, Operation op, uint32_t object);
    ~CallRecord();
    CallRecord(const CallRecord&) = delete;
    CallRecord& operator=(const CallRecord&) = delete;

    template <typename... A>
    CallRecord& Args(const A&... args) {
        (m_Out.Put(args), ...);
        return *this;
    }
    // The writer of the arguments (values are counted as they are put).
    ValueWriter& Arguments(unsigned) { return m_Out; }
    // Switches to the results; each value put after it is a result.
    template <typename... R>
    void Results(const R&... results) {
        StartResults();
        (m_Out.Put(results), ...);
    }
    ValueWriter& ResultValues(unsigned) {
        StartResults();
        return m_Out;
    }

private:
    void StartResults();

    SessionRecorder& m_Recorder;
    Operation m_Operation;
    std::string& m_Buffer;
    ValueWriter m_Out;
    size_t m_CountAt;  // where the argument count byte is
    size_t m_ResultCountAt = 0;
    unsigned m_ArgumentCount = 0;
};

class SessionRecorder : public HostInput {
public:
    SessionRecorder() = default;
    ~SessionRecorder() override;

    // Creates the file; false when it cannot be written.
    bool Open(const char* path);
    // Wraps the device that CreatePlugin made, handing the session to the
    // wrapper (or records that it made none, and the session ends with `self`).
    RenderDevice* Begin(RenderDevice* device, std::unique_ptr<SessionRecorder> self);
    // The device wrapper is going: every wrapper is dropped and the file ends.
    void End();

    // HostInput: recorded, then served by the one in place before.
    uint32_t TickCount() override;
    File* OpenReading(Kernel* kernel, const char* path) override;
    void InstallInput() {
        m_pPrevious = HostInput::Install(this);
        m_bInstalled = true;
    }

    // The wrapper of an object the plug-in handed out, made on first sight;
    // `isNew` tells whether it was made now. Null for null.
    template <typename Wrapper, typename Inner>
    Wrapper* Wrap(Inner* inner, bool* isNew);
    // The plug-in's object behind a wrapper the host passes back (what is
    // not one of ours passes unchanged); its number into `number`.
    template <typename Inner>
    Inner* Unwrap(Inner* object, uint32_t* number);
    // The wrapper behind a pointer the host holds; null when not one of ours.
    Recorded* Find(const void* hostPointer) const {
        auto found = m_ByWrapper.find(hostPointer);
        return found == m_ByWrapper.end() ? nullptr : found->second;
    }
    // Forgets a wrapper whose object the plug-in destroyed.
    void Forget(Recorded* wrapper);

    // Records the changes of host memory since the shadow, then updates it.
    void RecordChanges(uint32_t object, MemoryRegion region, uint32_t frame, const void* memory,
                       size_t size, Shadow* shadow);
    // The shadow becomes what the memory holds now, unrecorded (the plug-in
    // itself made it so).
    static void Resync(const void* memory, size_t size, Shadow* shadow);

    // Quad memory is written back before the device draws it.
    void BeforeDeviceCall(Recorded* object) {
        if (object) object->RecordMemory();
    }

    std::string& Buffer() { return m_Writer.Pending(); }
    std::string& Scratch() { return m_Scratch; }
    // A call's record is complete in Scratch.
    void CallWritten(bool endsFrame);

private:
    void WriteMemory(uint32_t object, MemoryRegion region, uint32_t frame, size_t offset, const uint8_t* bytes,
                     size_t size);
    Recorded* Adopt(std::unique_ptr<Recorded> wrapper);

    CaptureWriter m_Writer;
    HostInput* m_pPrevious = nullptr;
    bool m_bInstalled = false;
    uint32_t m_NextNumber = 1;
    std::unordered_map<void*, Recorded*> m_ByInner;
    std::unordered_map<const void*, Recorded*> m_ByWrapper;  // the host's pointer
    std::vector<std::unique_ptr<Recorded>> m_Wrappers;      // every wrapper made, kept to the end
    std::unordered_map<std::string, uint32_t> m_Contents;   // file contents by their bytes' digest
    std::string m_Scratch;
    std::vector<uint8_t> m_ReadBuffer;
    bool m_bEnded = false;
};

template <typename Fn, typename... A>
auto Recorded::Rec(Operation op, Fn&& call, const A&... args) {
    CallRecord record(m_Recorder, op, m_Number);
    record.Args(args...);
    if constexpr (std::is_void<decltype(call())>::value) {
        call();
        record.Results();
    } else {
        auto result = call();
        record.Results(result);
        return result;
    }
}

template <typename Wrapper, typename Inner>
Wrapper* SessionRecorder::Wrap(Inner* inner, bool* isNew) {
    *isNew = false;
    if (!inner) return nullptr;
    auto found = m_ByInner.find(inner);
    if (found != m_ByInner.end() && found->second->Kind() == Wrapper::kKind)
        return static_cast<Wrapper*>(found->second);
    *isNew = true;
    return static_cast<Wrapper*>(Adopt(std::unique_ptr<Recorded>(new Wrapper(*this, inner))));
}

template <typename Inner>
Inner* SessionRecorder::Unwrap(Inner* object, uint32_t* number) {
    *number = 0;
    auto found = m_ByWrapper.find(static_cast<const void*>(object));
    if (found == m_ByWrapper.end()) {
        if (object) *number = kForeignObject;
        return object;
    }
    *number = found->second->Number();
    return static_cast<Inner*>(found->second->InnerObject());
}

}  // namespace orvcapture
