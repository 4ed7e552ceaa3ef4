#include "KernelLog.h"

KernelLog::KernelLog(const char* path, bool console)
    : m_pFile(path && *path ? std::fopen(path, "w") : nullptr),
      m_Console(console),
      m_Capture(false) {}

KernelLog::~KernelLog() {
    if (m_pFile) std::fclose(m_pFile);
}

void KernelLog::Write(const std::string& line) {
    if (m_pFile) {
        std::fwrite(line.data(), 1, line.size(), m_pFile);
        std::fputc('\n', m_pFile);
        std::fflush(m_pFile);
    }
    if (m_Console) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    if (m_Capture) m_Captured.push_back(line);
}
