// Writes a capture file as it goes: the header, then the records in chunks,
// each compressed and checked, written and flushed at every frame's end so
// that a process that dies mid-frame leaves every whole frame readable.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "capture/CaptureFormat.h"

struct z_stream_s;

namespace orvcapture {

class CaptureWriter {
public:
    CaptureWriter();
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
    // Compresses the pending records after the chunk header's room in
    // m_Compressed; the stored length, or false.
    bool Compress(size_t* stored);

    struct StreamEnd {
        void operator()(z_stream_s* stream) const;
    };

    std::FILE* m_pFile = nullptr;
    // One compressor for the session, reset for each chunk: setting one up
    // allocates and clears its window and tables, too slow for every frame.
    std::unique_ptr<z_stream_s, StreamEnd> m_pStream;
    std::string m_Pending;
    std::string m_Compressed;   // a chunk: its header, then the stored bytes
    std::string m_ChunkHeader;
    uint64_t m_BytesWritten = 0;
    bool m_bFailed = false;
};

}  // namespace orvcapture
