#include "capture/CaptureReader.h"

#include <zlib.h>

#include <cstring>

namespace orvcapture {

namespace {

uint32_t Word32At(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

}  // namespace

CaptureReader::~CaptureReader() {
    if (m_pFile) std::fclose(m_pFile);
}

bool CaptureReader::Open(const std::string& path) {
    m_pFile = std::fopen(path.c_str(), "rb");
    if (!m_pFile) {
        m_Error = "cannot open " + path;
        return false;
    }
    return CheckHeader();
}

bool CaptureReader::OpenMemory(const uint8_t* data, size_t size) {
    m_pMemory = data;
    m_MemorySize = data ? size : 0;
    return CheckHeader();
}

size_t CaptureReader::Read(void* buffer, size_t size) {
    size_t got;
    if (m_pFile) {
        got = std::fread(buffer, 1, size, m_pFile);
    } else {
        const size_t left = m_Offset < m_MemorySize ? m_MemorySize - static_cast<size_t>(m_Offset) : 0;
        got = size < left ? size : left;
        if (got) std::memcpy(buffer, m_pMemory + m_Offset, got);
    }
    m_Offset += got;
    return got;
}

bool CaptureReader::CheckHeader() {
    uint8_t header[kHeaderSize];
    if (Read(header, sizeof header) != sizeof header) {
        m_Error = "not a capture: the header is cut short";
        return false;
    }
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0) {
        m_Error = "not a capture: no capture signature";
        return false;
    }
    const uint32_t format = Word32At(header + sizeof kMagic);
    const uint32_t layout = Word32At(header + sizeof kMagic + 4);
    if (format != kFormatVersion) {
        m_Error = "capture format version " + std::to_string(format) + ", this reader reads version " +
                  std::to_string(kFormatVersion);
        return false;
    }
    if (layout != kLayoutVersion) {
        m_Error = "capture of another interface layout (" + std::to_string(layout) + ", this build's is " +
                  std::to_string(kLayoutVersion) + ")";
        return false;
    }
    return true;
}

CaptureReader::Status CaptureReader::Next(std::string* records, uint32_t* flags) {
    const uint64_t at = m_Offset;
    uint8_t header[kChunkHeaderSize];
    const size_t got = Read(header, sizeof header);
    if (got == 0) return Status::End;
    if (got != sizeof header) {
        m_Error = "chunk header at byte " + std::to_string(at) + " cut short";
        return Status::Truncated;
    }
    const uint32_t magic = Word32At(header), chunkFlags = Word32At(header + 4);
    const uint32_t stored = Word32At(header + 8), raw = Word32At(header + 12), crc = Word32At(header + 16);
    if (magic != kChunkMagic || chunkFlags > kChunkSessionEnd || raw > kMaxChunkBytes ||
        stored > compressBound(kMaxChunkBytes)) {
        m_Error = "damaged chunk header at byte " + std::to_string(at);
        return Status::Damaged;
    }
    // zlib inflates at most this many bytes from one stored byte.
    constexpr uint64_t kMaxInflation = 1032;
    if (raw > uint64_t{stored} * kMaxInflation + 64) {
        m_Error = "damaged chunk header at byte " + std::to_string(at);
        return Status::Damaged;
    }
    if (!m_pFile && stored > m_MemorySize - m_Offset) {
        m_Error = "chunk at byte " + std::to_string(at) + " cut short";
        return Status::Truncated;
    }
    m_Stored.resize(stored);
    if (Read(&m_Stored[0], stored) != stored) {
        m_Error = "chunk at byte " + std::to_string(at) + " cut short";
        return Status::Truncated;
    }
    const uint32_t actual =
        static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(m_Stored.data()), static_cast<uInt>(stored)));
    if (actual != crc) {
        m_Error = "checksum mismatch in the chunk at byte " + std::to_string(at);
        return Status::Damaged;
    }
    records->resize(raw);
    uLongf inflated = raw;
    if (uncompress(reinterpret_cast<Bytef*>(&(*records)[0]), &inflated,
                   reinterpret_cast<const Bytef*>(m_Stored.data()), stored) != Z_OK ||
        inflated != raw) {
        m_Error = "the chunk at byte " + std::to_string(at) + " does not inflate to its length";
        return Status::Damaged;
    }
    *flags = chunkFlags;
    return Status::Chunk;
}

}  // namespace orvcapture
