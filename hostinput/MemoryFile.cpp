#include "hostinput/MemoryFile.h"

#include <cstring>
#include <new>

MemoryFile* MemoryFile::Create(std::vector<uint8_t> bytes) {
    return new (std::nothrow) MemoryFile(std::move(bytes));
}

bool MemoryFile::Seek(long offset, int origin) {
    const long long size = static_cast<long long>(m_Bytes.size());
    long long base;
    switch (origin) {
        case FromStart: base = 0; break;
        case FromCurrent: base = static_cast<long long>(m_Position); break;
        case FromEnd: base = size; break;
        default: return false;
    }
    const long long target = base + offset;
    if (target < 0 || target > size) return false;
    m_Position = static_cast<size_t>(target);
    return true;
}

unsigned long MemoryFile::Tell() { return static_cast<unsigned long>(m_Position); }

unsigned long MemoryFile::GetSize() { return static_cast<unsigned long>(m_Bytes.size()); }

unsigned long MemoryFile::Read(void* buffer, unsigned long count) {
    if (!buffer || m_Position >= m_Bytes.size()) return 0;
    const size_t available = m_Bytes.size() - m_Position;
    const size_t taken = count < available ? count : available;
    std::memcpy(buffer, m_Bytes.data() + m_Position, taken);
    m_Position += taken;
    return static_cast<unsigned long>(taken);
}

unsigned long MemoryFile::Write(const void* buffer, unsigned long count) {
    if (!buffer) return 0;
    try {
        if (m_Position + count > m_Bytes.size()) m_Bytes.resize(m_Position + count);
    } catch (...) {
        return 0;
    }
    std::memcpy(m_Bytes.data() + m_Position, buffer, count);
    m_Position += count;
    return count;
}

// Like a file on disk: the whole contents with a NUL after them, null for
// an empty file.
void* MemoryFile::GetBuffer() {
    if (m_Bytes.empty()) return nullptr;
    if (m_Terminated.size() != m_Bytes.size() + 1) {
        try {
            m_Terminated.assign(m_Bytes.begin(), m_Bytes.end());
            m_Terminated.push_back(0);
        } catch (...) {
            return nullptr;
        }
    }
    return m_Terminated.data();
}

bool MemoryFile::IsEOF() { return m_Position >= m_Bytes.size(); }

void MemoryFile::Close() { delete this; }
