#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "support/AllocationProbe.h"
#include "support/TestFiles.h"
#include "host/File.h"
#include "host/FileSystem.h"
#include "host/OML.h"

namespace {

bool Save(OML& tag, FileSystem& files, const char* path, bool compact = false) {
    File* file = files.OpenWriting(path, 0);
    const bool saved = file && tag.SaveTo(file, 0, compact);
    if (file) file->Close();
    return saved;
}

bool Load(OML& tag, FileSystem& files, const char* path) {
    File* file = files.OpenReading(path);
    const bool loaded = tag.LoadFrom(file);
    if (file) file->Close();
    return loaded;
}

}  // namespace

TEST(KernelFile, SeeksReadsBuffersAndWritesRealFilesAndRefusesWhatCannotBeReadOrWritten) {
    std::string dir = orvtest::TempDir();
    orvtest::WriteFileBytes(dir + "/data.bin", std::string("0123456789\0xyz", 14));
    FileSystem files(dir.c_str());
    File* file = files.OpenReading("data.bin");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetSize(), 14u);

    const struct { long offset; int origin; bool accepted; unsigned long positionAfter; } seeks[] = {
        {4, File::FromStart, true, 4},   {-2, File::FromEnd, true, 12},
        {-13, File::FromCurrent, false, 12}, {1, File::FromEnd, false, 12},
        {-14, File::FromEnd, true, 0},   {2, 7, false, 0},
    };
    for (const auto& c : seeks) {
        EXPECT_EQ(file->Seek(c.offset, c.origin), c.accepted) << c.offset << " from " << c.origin;
        EXPECT_EQ(file->Tell(), c.positionAfter) << c.offset << " from " << c.origin;
    }

    char bytes[8] = {};
    ASSERT_TRUE(file->Seek(8, File::FromStart));
    EXPECT_EQ(file->Read(bytes, sizeof bytes), 6u);  // short read at the end
    EXPECT_TRUE(std::memcmp(bytes, "89\0xyz", 6) == 0 && file->IsEOF());

    // The whole contents whatever the position, which stays where it was.
    const char* buffer = static_cast<const char*>(file->GetBuffer());
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(std::memcmp(buffer, "0123456789\0xyz", 15), 0);  // and a NUL after them
    EXPECT_TRUE(file->Tell() == 14 && file->Write("a", 1) == 0);
    file->Close();

    orvtest::WriteFileBytes(dir + "/empty.txt", "");
    for (const char* path : {"missing.txt", "", ".", static_cast<const char*>(nullptr)})
        EXPECT_EQ(files.OpenReading(path), nullptr) << (path ? path : "null");
    File* empty = files.OpenReading("empty.txt");
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->GetBuffer() == nullptr && empty->IsEOF());
    empty->Close();

    // Writing creates, truncates and resolves backslashes.
    std::filesystem::create_directories(dir + "/sub");
    orvtest::WriteFileBytes(dir + "/sub/out.txt", "old contents that are longer");
    file = files.OpenWriting("sub\\out.txt", 0);
    ASSERT_NE(file, nullptr);
    char byte;
    EXPECT_TRUE(file->GetSize() == 0 && file->Write("hello", 5) == 5 && file->Read(&byte, 1) == 0);
    file->Close();
    EXPECT_EQ(orvtest::ReadFileText(dir + "/sub/out.txt"), "hello");

    EXPECT_FALSE(files.OpenWriting("missing/dir/out.txt", 0) || files.OpenWriting("sub/other.txt", 1));
    EXPECT_STREQ(files.Resolve("/abs/path").c_str(), "/abs/path");
    EXPECT_STREQ(files.Resolve("Z:\\work\\a.tga").c_str(), "Z:/work/a.tga");
    EXPECT_STREQ(files.Resolve("z:a.tga").c_str(), "z:a.tga");
    EXPECT_EQ(std::string(files.Resolve("9:a.tga").c_str()), dir + "/9:a.tga");  // a name, not a drive
}

TEST(KernelOML, MalformedMarkupLoadsNothingAndSavesGoOnFromTheFilePosition) {
    std::string dir = orvtest::TempDir();
    FileSystem files(dir.c_str());
    const char* texts[] = {"", "<a><b></a>", "<a x=\"1></a>", "<a x=\"1\" x=\"2\"/>", "<a>"};
    for (const char* text : texts) {
        orvtest::WriteFileBytes(dir + "/bad.xml", text);
        OML tag("previous");
        tag.AddParameter("stale", "1");
        tag.AddTag("child");
        EXPECT_FALSE(Load(tag, files, "bad.xml")) << text;
        EXPECT_EQ(tag.GetParameterCount() + tag.GetTagCount(), 0) << text;
    }
    OML unnamed;  // a tag needs a name to be written
    EXPECT_FALSE(unnamed.LoadFrom(nullptr) || Save(unnamed, files, "unnamed.xml"));

    // Saved at the file's position; text between tags skipped.
    File* file = files.OpenWriting("two.xml", 0);
    ASSERT_NE(file, nullptr);
    file->Write("header;", 7);
    OML tag("Root");
    tag.AddTag("Child");
    ASSERT_TRUE(tag.SaveTo(file, 0, true));
    file->Close();
    EXPECT_EQ(orvtest::ReadFileText(dir + "/two.xml"), "header;<Root><Child/></Root>");

    orvtest::WriteFileBytes(dir + "/text.xml", "<?xml version=\"1.0\"?>\n<R a=\"1\">text<C/>more</R>");
    OML loaded;
    ASSERT_TRUE(Load(loaded, files, "text.xml"));
    EXPECT_EQ(loaded.GetTagCount(), 1);
}

// Memory running out at any request: a load fails with the tree empty, an
// addition adds nothing, a save writes nothing; with enough, all succeed.
TEST(KernelOML, RunningOutOfMemoryLeavesNoHalfMadeTree) {
    std::string dir = orvtest::TempDir();
    FileSystem files(dir.c_str());
    orvtest::WriteFileBytes(dir + "/doc.xml", "<R a=\"1\"><C b=\"2\"><D/></C><E/></R>");
    const String name("N"), value("V");
    bool loaded = false;
    for (size_t n = 0; !loaded; ++n) {
        SCOPED_TRACE(n);
        OML tag;
        File* file = files.OpenReading("doc.xml");
        ASSERT_NE(file, nullptr);
        bool added = false, saved = false;
        OML* child = nullptr;
        {
            orvtest::AllocationProbe probe;
            probe.FailFrom(n);
            loaded = tag.LoadFrom(file);
            added = loaded && tag.AddParameter(name, value);
            child = added ? tag.AddTag(name) : nullptr;
            saved = child && Save(tag, files, "out.xml");
        }
        file->Close();
        if (!loaded) {
            EXPECT_EQ(tag.GetParameterCount() + tag.GetTagCount(), 0);
            continue;
        }
        EXPECT_EQ(tag.GetParameterCount(), added ? 2 : 1);
        EXPECT_EQ(tag.GetTagCount(), child ? 3 : 2);
        loaded = saved;  // on until everything succeeds
        if (child) {
            EXPECT_EQ(orvtest::ReadFileText(dir + "/out.xml").empty(), !saved);
        }
        ASSERT_LT(n, 1000u);
    }
    EXPECT_NE(orvtest::ReadFileText(dir + "/out.xml").find("<N />"), std::string::npos);
}

// Nesting far deeper than a stack of one frame per level could hold: read,
// walked, written, read back, replaced and destroyed, and a tree as deep built
// by hand. A malformed deep file loads nothing.
TEST(KernelOML, DeepNestingIsReadWrittenAndDestroyedWithoutRecursion) {
    constexpr int kDepth = 200000;
    std::string dir = orvtest::TempDir();
    FileSystem files(dir.c_str());
    std::string text;
    for (int level = 0; level < kDepth; ++level) text += "<t d=\"1\">";
    for (int level = 0; level < kDepth; ++level) text += "</t>";
    orvtest::WriteFileBytes(dir + "/deep.xml", text);
    orvtest::WriteFileBytes(dir + "/unclosed.xml", text.substr(0, text.size() - 4));

    auto depthOf = [](const OML& root) {
        int depth = 1;
        for (const OML* tag = &root; tag->GetTagCount() == 1; tag = tag->GetTag(0)) ++depth;
        return depth;
    };
    auto loaded = std::make_unique<OML>();
    ASSERT_TRUE(Load(*loaded, files, "deep.xml"));
    EXPECT_EQ(depthOf(*loaded), kDepth);
    for (bool compact : {false, true}) {
        ASSERT_TRUE(Save(*loaded, files, "again.xml", compact));
        // Too deep to indent: every level costs its tags alone.
        EXPECT_LT(orvtest::ReadFileText(dir + "/again.xml").size(), text.size() + 16) << compact;
        OML again;
        ASSERT_TRUE(Load(again, files, "again.xml"));
        EXPECT_EQ(depthOf(again), kDepth) << compact;
        EXPECT_STREQ(again.GetParameter("d", "").c_str(), "1");
    }
    EXPECT_FALSE(Load(*loaded, files, "unclosed.xml"));  // the deep contents go first
    EXPECT_EQ(loaded->GetTagCount(), 0);
    ASSERT_TRUE(Load(*loaded, files, "deep.xml"));
    loaded.reset();

    auto built = std::make_unique<OML>(String("root"));
    OML* tag = built.get();
    for (int level = 1; level < kDepth; ++level) tag = tag->AddTag("t");
    EXPECT_EQ(depthOf(*built), kDepth);
}
