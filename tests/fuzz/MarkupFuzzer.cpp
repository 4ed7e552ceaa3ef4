// The kernel's markup reader alone: a tree read from a file of the kernel's
// file system, walked, written and read back. What the reader accepts, the
// writer writes so that it reads back as the same tree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "FuzzHost.h"
#include "host/File.h"
#include "host/FileSystem.h"
#include "host/OML.h"

namespace {

FileSystem& Files() {
    static FileSystem files(orvfuzz::ScratchDirectory().c_str());
    return files;
}

bool Read(const char* name, OML* tree) {
    File* file = Files().OpenReading(name);
    if (!file) orvfuzz::Fail("the scratch file opens");
    const bool read = tree->LoadFrom(file);
    file->Close();
    return read;
}

// The parameters the material files use; the tree offers no other way to
// list a tag's parameters than their count.
constexpr const char* kParameters[] = {
    "Ambient", "Diffuse", "Specular", "Emissive", "Shinyness", "Cull", "FrameBlend", "ZWrite", "ZFunc", "Map",
    "MapSequence", "ColorArg1", "ColorArg2", "AlphaArg1", "AlphaArg2", "SrcBlend", "DestBlend", "ColorOp", "AlphaOp",
    "Lighting", "AddressingType"};

// Tags in order with their parameter counts and known parameters, one tag per
// entry, walked without recursion.
std::vector<std::string> Flatten(const OML& root) {
    std::vector<std::string> lines;
    std::vector<std::pair<const OML*, int>> path = {{&root, -1}};
    while (!path.empty()) {
        auto& [tag, next] = path.back();
        if (next < 0) {
            std::string line = std::to_string(path.size()) + "<" + tag->GetName().c_str() + " " +
                               std::to_string(tag->GetParameterCount());
            for (const char* name : kParameters)
                line += std::string(" ") + name + "=" + tag->GetParameter(name, "-").c_str();
            lines.push_back(line);
            next = 0;
        }
        if (next < tag->GetTagCount()) {
            const OML* child = tag->GetTag(next++);
            if (!child) orvfuzz::Fail("every counted child is there");
            path.emplace_back(child, -1);
        } else {
            path.pop_back();
        }
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orvfuzz::WriteScratchFile("input.xml", data, size);
    OML tree;
    if (!Read("input.xml", &tree)) return 0;
    File* out = Files().OpenWriting("written.xml", 0);
    if (!out) orvfuzz::Fail("the scratch file opens for writing");
    const bool written = tree.SaveTo(out, 0, size % 2 == 0);
    out->Close();
    if (!written) orvfuzz::Fail("a tree the reader made can be written");
    OML again;
    if (!Read("written.xml", &again)) orvfuzz::Fail("a written tree reads back");
    if (Flatten(tree) != Flatten(again)) orvfuzz::Fail("a written tree reads back the same");
    return 0;
}
