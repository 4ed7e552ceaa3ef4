// Where the kernel's log lines go: a file (flushed after every line),
// optionally standard output, and optionally memory for tests.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct KernelLog {
    KernelLog(const char* path, bool console);
    ~KernelLog();
    KernelLog(const KernelLog&) = delete;
    KernelLog& operator=(const KernelLog&) = delete;

    // `line` without its newline.
    void Write(const std::string& line);

    std::FILE* m_pFile;  // null when the log has no file
    bool m_Console;
    bool m_Capture;
    std::vector<std::string> m_Captured;
};
