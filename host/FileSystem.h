// The host's file system: opens files by path, relative to a base directory.
#pragma once

#include "KernelApi.h"
#include "String.h"

class File;

class ORVKERNEL_API FileSystem {
public:
    // Paths that are not absolute are taken relative to baseDirectory ("" is
    // the process's working directory).
    explicit FileSystem(const char* baseDirectory = "");
    ~FileSystem();
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    // Null when the file cannot be opened.
    File* OpenReading(const char* path);
    // Creates or truncates; mode 0 is the only mode. Null on failure.
    File* OpenWriting(const char* path, int mode);

    void SetBaseDirectory(const char* baseDirectory);
    String GetBaseDirectory() const;
    // The path a relative path resolves to.
    String Resolve(const char* path) const;

private:
    String m_BaseDirectory;
};
