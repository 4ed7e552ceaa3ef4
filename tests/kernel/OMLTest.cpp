#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/TestFiles.h"
#include "host/File.h"
#include "host/FileSystem.h"
#include "host/OML.h"

namespace {

bool Save(OML& tag, FileSystem& files, const char* path, bool compact = false) {
    File* file = files.OpenWriting(path, 0);
    if (!file) return false;
    bool saved = tag.SaveTo(file, 0, compact);
    file->Close();
    return saved;
}

bool Load(OML& tag, FileSystem& files, const char* path) {
    File* file = files.OpenReading(path);
    bool loaded = tag.LoadFrom(file);
    if (file) file->Close();
    return loaded;
}

}  // namespace

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
    OML unnamed;
    EXPECT_FALSE(unnamed.LoadFrom(nullptr));
    EXPECT_FALSE(Save(unnamed, files, "unnamed.xml"));  // a tag needs a name to be written

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
    built.reset();
}
