// The host kernel: the log, the application window and the file system.
// Plug-ins read the window and the file system straight from the record:
// they are its fifth and sixth fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KernelApi.h"

class Window;
class FileSystem;
struct KernelLog;

class ORVKERNEL_API Kernel {
public:
    // logPath: file that receives every log line (null or "" for none);
    // console: also print each line to standard output. The kernel makes the
    // application window (640 x 480, hidden until shown) and a file system
    // rooted at the working directory.
    Kernel(const char* logPath, bool console);
    ~Kernel();
    Kernel(const Kernel&) = delete;
    Kernel& operator=(const Kernel&) = delete;

    // printf-style; one log line per call (a trailing newline is added).
    void LogMessage(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Tests: keep every line in memory as well.
    void SetCapture(bool capture);
    const std::vector<std::string>& GetCapturedLines() const;
    void ClearCapturedLines();

    // The record as plug-ins see it.
    KernelLog* m_pLog;             // 1st field
    uintptr_t m_Version;           // 2nd
    uintptr_t m_Flags;             // 3rd
    void* m_pReserved;             // 4th
    Window* m_pWindow;             // 5th: the application window
    FileSystem* m_pFileSystem;     // 6th: the file system
};
