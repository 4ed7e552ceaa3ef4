#include "orvhostCallJournal.h"

#include <fstream>

namespace orvhost {

bool CallJournalFile::Open(const std::string& path) {
    m_File.reset(std::fopen(path.c_str(), "w"));
    m_Failed = false;
    return m_File != nullptr;
}

void CallJournalFile::Append(const std::string& step, const std::vector<std::string>& calls) {
    if (!m_File || calls.empty()) return;
    m_Failed |= std::fprintf(m_File.get(), "# %s\n", step.c_str()) < 0;
    for (const std::string& call : calls) m_Failed |= std::fprintf(m_File.get(), "%s\n", call.c_str()) < 0;
}

bool CallJournalFile::Close() {
    if (!m_File) return false;
    return std::fclose(m_File.release()) == 0 && !m_Failed;
}

bool ReadCallJournal(const std::string& path, std::vector<JournalStep>* steps) {
    std::ifstream file(path);
    if (!file) return false;
    for (std::string line; std::getline(file, line);) {
        if (line.empty()) continue;
        if (line[0] == '#') {
            steps->push_back({line.substr(line.size() > 1 ? 2 : 1), {}});
        } else {
            if (steps->empty()) steps->emplace_back();
            steps->back().calls.push_back(line);
        }
    }
    return !file.bad();
}

}  // namespace orvhost
