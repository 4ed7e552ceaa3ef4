// A File over an open file of the real file system, opened either for
// reading or for writing.
#pragma once

#include <cstdio>
#include <vector>

#include "host/File.h"

class DiskFile : public File {
public:
    // Takes ownership of `stream`.
    DiskFile(std::FILE* stream, bool writable);

    bool Seek(long offset, int origin) override;
    unsigned long Tell() override;
    unsigned long GetSize() override;
    unsigned long Read(void* buffer, unsigned long count) override;
    unsigned long Write(const void* buffer, unsigned long count) override;
    void* GetBuffer() override;
    bool IsEOF() override;
    void Close() override;

private:
    ~DiskFile() override;

    std::FILE* m_pStream;
    bool m_Writable;
    std::vector<char> m_Contents;  // GetBuffer's copy, NUL-terminated; empty until asked for
};
