// A file of the Direct3D calls a host program made through the plug-in on the
// stand-in runtime (orvhostPlatform.h's TakeDirect3DCalls), written as it
// goes: after each step (a frame of the demo host, a replayed call) a line
// "# STEP" and the calls the step made. Lines starting with '#' only say
// where the calls came from: two journals compare by their other lines.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace orvhost {

class CallJournalFile {
public:
    // False when the file cannot be made.
    bool Open(const std::string& path);
    // Writes the step's note and its calls; nothing for a step without calls.
    void Append(const std::string& step, const std::vector<std::string>& calls);
    // False when something could not be written.
    bool Close();

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> m_File;
    bool m_Failed = false;
};

// One step of a journal file: its note and its calls.
struct JournalStep {
    std::string step;
    std::vector<std::string> calls;
};

// The steps of a journal file (calls before any step line go into a step
// with an empty note); false when the file cannot be read.
bool ReadCallJournal(const std::string& path, std::vector<JournalStep>* steps);

}  // namespace orvhost
