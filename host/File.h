// An open file of the host's file system. Callers use it through its virtual
// table; Close both closes and disposes of it, so nobody deletes a File.
#pragma once

#include "KernelApi.h"

class ORVKERNEL_API File {
public:
    enum SeekOrigin { FromStart = 0, FromCurrent = 1, FromEnd = 2 };

    // 2nd: moves the position; false when it would leave the file.
    virtual bool Seek(long offset, int origin) = 0;
    // 3rd: the position in bytes from the start.
    virtual unsigned long Tell() = 0;
    // 4th: size in bytes.
    virtual unsigned long GetSize() = 0;
    // 5th: reads up to count bytes at the position; returns the bytes read.
    virtual unsigned long Read(void* buffer, unsigned long count) = 0;
    // 6th: writes count bytes at the position; returns the bytes written.
    virtual unsigned long Write(const void* buffer, unsigned long count) = 0;
    // 7th: the whole contents in memory (null for an empty or write-only file).
    virtual void* GetBuffer() = 0;
    // 8th: true when the position is at the end.
    virtual bool IsEOF() = 0;
    // 9th: closes the file and disposes of this object.
    virtual void Close() = 0;

protected:
    // 1st.
    virtual ~File();
};
