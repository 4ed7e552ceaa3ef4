#include "DiskFile.h"

#include <sys/stat.h>

DiskFile::DiskFile(std::FILE* stream, bool writable) : m_pStream(stream), m_Writable(writable) {}

DiskFile::~DiskFile() { std::fclose(m_pStream); }

bool DiskFile::Seek(long offset, int origin) {
    long base;
    switch (origin) {
        case FromStart: base = 0; break;
        case FromCurrent: base = static_cast<long>(Tell()); break;
        case FromEnd: base = static_cast<long>(GetSize()); break;
        default: return false;
    }
    // Offsets past either end are refused before any arithmetic can overflow.
    long size = static_cast<long>(GetSize());
    if (offset < -base || offset > size - base) return false;
    return std::fseek(m_pStream, base + offset, SEEK_SET) == 0;
}

unsigned long DiskFile::Tell() {
    long position = std::ftell(m_pStream);
    return position < 0 ? 0 : static_cast<unsigned long>(position);
}

unsigned long DiskFile::GetSize() {
    if (m_Writable) std::fflush(m_pStream);
    struct stat status;
    if (fstat(fileno(m_pStream), &status) != 0) return 0;
    return static_cast<unsigned long>(status.st_size);
}

unsigned long DiskFile::Read(void* buffer, unsigned long count) {
    if (m_Writable || !buffer) return 0;
    return std::fread(buffer, 1, count, m_pStream);
}

unsigned long DiskFile::Write(const void* buffer, unsigned long count) {
    if (!m_Writable || !buffer) return 0;
    return std::fwrite(buffer, 1, count, m_pStream);
}

// The whole file, whatever the position, which it leaves unchanged. A NUL
// follows the contents so that text can be parsed in place.
void* DiskFile::GetBuffer() {
    if (m_Writable) return nullptr;
    if (m_Contents.empty()) {
        unsigned long size = GetSize();
        if (size == 0) return nullptr;
        long position = std::ftell(m_pStream);
        m_Contents.assign(size + 1, '\0');
        std::rewind(m_pStream);
        size_t read = std::fread(m_Contents.data(), 1, size, m_pStream);
        std::fseek(m_pStream, position, SEEK_SET);
        if (read != size) {
            m_Contents.clear();
            return nullptr;
        }
    }
    return m_Contents.data();
}

bool DiskFile::IsEOF() { return Tell() >= GetSize(); }

void DiskFile::Close() { delete this; }
