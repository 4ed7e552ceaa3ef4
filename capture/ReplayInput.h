// The HostInput a replay puts in place: the recorded clock readings and file
// contents, served to the plug-in in the order it asked for them.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "hostinput/HostInput.h"

namespace orvcapture {

class ReplayInput : public HostInput {
public:
    uint32_t TickCount() override;
    File* OpenReading(Kernel* kernel, const char* path) override;

    void AddClock(uint32_t tick) { m_Ticks.push_back(tick); }
    // False when the content's number is not the next one.
    bool AddContent(uint32_t number, std::string bytes);
    // False when the content's number was never stored (and is not the
    // not-stored mark).
    bool AddFileOpen(std::string path, bool found, uint32_t content);

    // What the last call did not take as recorded ("" when it took exactly
    // the recorded inputs); clears what it left.
    std::string TakeMismatch();
    uint32_t FilesOpened() const { return m_FilesOpened; }

private:
    struct FileOpen {
        std::string path;
        bool found;
        uint32_t content;
    };
    std::deque<uint32_t> m_Ticks;
    std::deque<FileOpen> m_Files;
    std::vector<std::string> m_Contents;
    uint32_t m_LastTick = 0;
    uint32_t m_ExtraTicks = 0;
    uint32_t m_FilesOpened = 0;
    std::string m_Mismatch;
};

}  // namespace orvcapture
