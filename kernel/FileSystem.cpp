#include "host/FileSystem.h"

#include <sys/stat.h>

#include <cstdio>
#include <new>
#include <string>

#include "DiskFile.h"

namespace {

// Host paths may use either separator.
std::string WithSlashes(const char* path) {
    std::string converted = path ? path : "";
    for (char& c : converted)
        if (c == '\\') c = '/';
    return converted;
}

// Rooted paths and paths with a drive letter do not hang off the base
// directory.
bool IsAbsolute(const std::string& path) {
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive || (!path.empty() && path[0] == '/');
}

// The file at the resolved path, opened in `mode`; null when it does not
// open or memory runs out (nothing is thrown to the caller, which may be a
// plug-in).
std::FILE* OpenResolved(const FileSystem& files, const char* path, const char* mode) {
    try {
        return std::fopen(files.Resolve(path).c_str(), mode);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// The open stream as a File; closed again, and null, when memory runs out.
File* Adopt(std::FILE* stream, bool writing) {
    File* file = new (std::nothrow) DiskFile(stream, writing);
    if (!file) std::fclose(stream);
    return file;
}

}  // namespace

FileSystem::FileSystem(const char* baseDirectory) : m_BaseDirectory(baseDirectory) {}

FileSystem::~FileSystem() = default;

File* FileSystem::OpenReading(const char* path) {
    if (!path || !*path) return nullptr;
    std::FILE* stream = OpenResolved(*this, path, "rb");
    if (!stream) return nullptr;
    // A directory opens for reading but has no contents.
    struct stat status;
    if (fstat(fileno(stream), &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fclose(stream);
        return nullptr;
    }
    return Adopt(stream, false);
}

File* FileSystem::OpenWriting(const char* path, int mode) {
    if (!path || !*path || mode != 0) return nullptr;
    std::FILE* stream = OpenResolved(*this, path, "wb");
    return stream ? Adopt(stream, true) : nullptr;
}

void FileSystem::SetBaseDirectory(const char* baseDirectory) { m_BaseDirectory = baseDirectory; }

String FileSystem::GetBaseDirectory() const { return m_BaseDirectory; }

String FileSystem::Resolve(const char* path) const {
    std::string relative = WithSlashes(path);
    std::string base = WithSlashes(m_BaseDirectory.c_str());
    if (base.empty() || IsAbsolute(relative)) return relative.c_str();
    if (base.back() != '/') base += '/';
    return (base + relative).c_str();
}
