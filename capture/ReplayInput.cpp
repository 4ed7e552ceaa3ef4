#include "capture/ReplayInput.h"

#include <vector>

#include "hostinput/MemoryFile.h"

namespace orvcapture {

namespace {

constexpr uint32_t kContentNotStored = 0xFFFFFFFFu;

}  // namespace

uint32_t ReplayInput::TickCount() {
    if (m_Ticks.empty()) {
        ++m_ExtraTicks;
        return m_LastTick;
    }
    m_LastTick = m_Ticks.front();
    m_Ticks.pop_front();
    return m_LastTick;
}

File* ReplayInput::OpenReading(Kernel*, const char* path) {
    ++m_FilesOpened;
    const std::string name = path ? path : "";
    if (m_Files.empty()) {
        if (m_Mismatch.empty()) m_Mismatch = "opened " + name + ", which the session did not open here";
        return nullptr;
    }
    const FileOpen open = m_Files.front();
    m_Files.pop_front();
    if (open.path != name) {
        if (m_Mismatch.empty()) m_Mismatch = "opened " + name + " where the session opened " + open.path;
        return nullptr;
    }
    if (!open.found || open.content == kContentNotStored) return nullptr;
    const std::string& bytes = m_Contents[open.content];
    return MemoryFile::Create(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

bool ReplayInput::AddContent(uint32_t number, std::string bytes) {
    if (number != m_Contents.size()) return false;
    m_Contents.push_back(std::move(bytes));
    return true;
}

bool ReplayInput::AddFileOpen(std::string path, bool found, uint32_t content) {
    if (found && content != kContentNotStored && content >= m_Contents.size()) return false;
    m_Files.push_back({std::move(path), found, content});
    return true;
}

std::string ReplayInput::TakeMismatch() {
    std::string mismatch = std::move(m_Mismatch);
    m_Mismatch.clear();
    if (mismatch.empty() && m_ExtraTicks)
        mismatch = "read the clock " + std::to_string(m_ExtraTicks) + " more times than the session";
    if (mismatch.empty() && !m_Ticks.empty())
        mismatch = "read the clock " + std::to_string(m_Ticks.size()) + " fewer times than the session";
    if (mismatch.empty() && !m_Files.empty()) mismatch = "did not open " + m_Files.front().path;
    m_Ticks.clear();
    m_Files.clear();
    m_ExtraTicks = 0;
    m_FilesOpened = 0;
    return mismatch;
}

}  // namespace orvcapture
