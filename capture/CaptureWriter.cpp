#include "capture/CaptureWriter.h"

#include <zlib.h>

#include <cstring>
#include <new>

#include "capture/ValueWriter.h"

namespace orvcapture {

namespace {

// Chunks are compressed for speed: the frame's end waits for them.
constexpr int kCompressionLevel = 1;

}  // namespace

void CaptureWriter::StreamEnd::operator()(z_stream_s* stream) const {
    deflateEnd(stream);
    delete stream;
}

CaptureWriter::CaptureWriter() = default;

CaptureWriter::~CaptureWriter() { Close(); }

bool CaptureWriter::Open(const char* path) {
    std::unique_ptr<z_stream_s> stream(new (std::nothrow) z_stream_s());
    if (!stream || deflateInit(stream.get(), kCompressionLevel) != Z_OK) return false;
    m_pStream.reset(stream.release());
    m_pFile = std::fopen(path, "wb");
    if (!m_pFile) return false;
    std::string header;
    ValueWriter out(&header);
    out.Raw(kMagic, sizeof kMagic);
    out.Word32(kFormatVersion);
    out.Word32(kLayoutVersion);
    m_bFailed = std::fwrite(header.data(), 1, header.size(), m_pFile) != header.size();
    m_BytesWritten = header.size();
    return !m_bFailed;
}

bool CaptureWriter::Compress(size_t* stored) {
    z_stream_s& stream = *m_pStream;
    if (deflateReset(&stream) != Z_OK) return false;
    const uLong bound = deflateBound(&stream, static_cast<uLong>(m_Pending.size()));
    if (m_Compressed.size() < kChunkHeaderSize + bound) m_Compressed.resize(kChunkHeaderSize + bound);
    stream.next_in = reinterpret_cast<Bytef*>(&m_Pending[0]);
    stream.avail_in = static_cast<uInt>(m_Pending.size());
    stream.next_out = reinterpret_cast<Bytef*>(&m_Compressed[kChunkHeaderSize]);
    stream.avail_out = static_cast<uInt>(bound);
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) return false;
    *stored = static_cast<size_t>(stream.total_out);
    return true;
}

bool CaptureWriter::Flush(ChunkFlags flags) {
    size_t stored = 0;
    if (!m_pFile || m_bFailed || !Compress(&stored)) {
        if (m_pFile) m_bFailed = true;
        m_Pending.clear();
        return false;
    }
    char* chunk = &m_Compressed[0];
    const uint32_t crc =
        static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(chunk + kChunkHeaderSize), static_cast<uInt>(stored)));
    m_ChunkHeader.clear();
    ValueWriter out(&m_ChunkHeader);
    out.Word32(kChunkMagic);
    out.Word32(flags);
    out.Word32(static_cast<uint32_t>(stored));
    out.Word32(static_cast<uint32_t>(m_Pending.size()));
    out.Word32(crc);
    std::memcpy(chunk, m_ChunkHeader.data(), kChunkHeaderSize);
    const size_t total = kChunkHeaderSize + stored;
    m_bFailed = std::fwrite(chunk, 1, total, m_pFile) != total || std::fflush(m_pFile) != 0;
    m_BytesWritten += total;
    m_Pending.clear();
    return !m_bFailed;
}

void CaptureWriter::Close() {
    if (!m_pFile) return;
    Flush(kChunkSessionEnd);
    std::fclose(m_pFile);
    m_pFile = nullptr;
}

}  // namespace orvcapture
