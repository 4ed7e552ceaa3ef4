#include "capture/CaptureWriter.h"

#include <zlib.h>

#include "capture/ValueWriter.h"

namespace orvcapture {

namespace {

// Chunks are compressed for speed: the frame's end waits for them.
constexpr int kCompressionLevel = 1;

}  // namespace

CaptureWriter::~CaptureWriter() { Close(); }

bool CaptureWriter::Open(const char* path) {
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

bool CaptureWriter::Flush(ChunkFlags flags) {
    if (!m_pFile || m_bFailed) {
        m_Pending.clear();
        return false;
    }
    uLongf stored = compressBound(static_cast<uLong>(m_Pending.size()));
    m_Compressed.resize(kChunkHeaderSize + stored);
    const int result = compress2(reinterpret_cast<Bytef*>(&m_Compressed[kChunkHeaderSize]), &stored,
                                 reinterpret_cast<const Bytef*>(m_Pending.data()),
                                 static_cast<uLong>(m_Pending.size()), kCompressionLevel);
    if (result != Z_OK) {
        m_bFailed = true;
        return false;
    }
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(&m_Compressed[kChunkHeaderSize]), static_cast<uInt>(stored)));
    std::string header;
    ValueWriter out(&header);
    out.Word32(kChunkMagic);
    out.Word32(flags);
    out.Word32(static_cast<uint32_t>(stored));
    out.Word32(static_cast<uint32_t>(m_Pending.size()));
    out.Word32(crc);
    m_Compressed.replace(0, kChunkHeaderSize, header);
    const size_t total = kChunkHeaderSize + stored;
    m_bFailed = std::fwrite(m_Compressed.data(), 1, total, m_pFile) != total || std::fflush(m_pFile) != 0;
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
