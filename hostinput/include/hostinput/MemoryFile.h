// A host File over bytes in memory: what a recorded or replayed file read
// hands to the plug-in's readers in place of a file on disk. Writes append at
// the position (markup written into memory). Close disposes of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/File.h"

class MemoryFile : public File {
public:
    // Null when memory runs out.
    static MemoryFile* Create(std::vector<uint8_t> bytes);
    // A readable and writable empty file.
    static MemoryFile* CreateEmpty() { return Create({}); }

    bool Seek(long offset, int origin) override;
    unsigned long Tell() override;
    unsigned long GetSize() override;
    unsigned long Read(void* buffer, unsigned long count) override;
    unsigned long Write(const void* buffer, unsigned long count) override;
    void* GetBuffer() override;
    bool IsEOF() override;
    void Close() override;

    const std::vector<uint8_t>& Bytes() const { return m_Bytes; }

private:
    explicit MemoryFile(std::vector<uint8_t> bytes) : m_Bytes(std::move(bytes)) {}
    ~MemoryFile() override = default;

    std::vector<uint8_t> m_Bytes;
    std::vector<uint8_t> m_Terminated;  // GetBuffer's copy, with a NUL after it
    size_t m_Position = 0;
};
