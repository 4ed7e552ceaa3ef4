#include "capture/MarkupText.h"

#include "host/OML.h"
#include "hostinput/MemoryFile.h"

namespace orvcapture {

std::string MarkupText(OML* tag) {
    if (!tag) return std::string();
    MemoryFile* file = MemoryFile::CreateEmpty();
    if (!file) return std::string();
    std::string text;
    if (tag->SaveTo(file, 0, true)) text.assign(file->Bytes().begin(), file->Bytes().end());
    file->Close();
    return text;
}

}  // namespace orvcapture
