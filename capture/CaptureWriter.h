// Writes a capture file as it goes: the header, then the records in chunks,
// each compressed and checked, written and flushed at every frame's end so
// that a process that dies mid-frame leaves every whole frame readable.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "capture/CaptureFormat.h"

namespace orvcapture {

class CaptureWriter {
public:
    CaptureWriter() = default;
    ~CaptureWriter();
    CaptureWriter(const CaptureWriter&) = delete;
    CaptureWriter& operator=(const CaptureWriter&) = delete;

    // Creates the file and writes the header; false when it cannot.
    bool Open(const char* path);
    // The records not yet written: append to it, then call Written.
    std::string& Pending() { return m_Pending; }
    // After appending: a chunk goes out mid-frame once the pending records
    // pass the chunk size.
    void Written() {
        if (m_Pending.size() >= kChunkTarget) Flush(kChunkMidFrame);
    }
    // Writes the pending records as one chunk with these flags and flushes
    // the file. False once a write failed (the rest is dropped).
    bool Flush(ChunkFlags flags);
    // The last chunk, then closes the file.
    void Close();

    uint64_t BytesWritten() const { return m_BytesWritten; }

private:
    std::FILE* m_pFile = nullptr;
    std::string m_Pending;
    std::string m_Compressed;
    uint64_t m_BytesWritten = 0;
    bool m_bFailed = false;
};

}  // namespace orvcapture
