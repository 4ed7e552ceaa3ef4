#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/TestFiles.h"
#include "host/File.h"
#include "host/FileSystem.h"

TEST(KernelFile, SeeksReadsAndBuffersRealFilesAndRefusesWhatCannotBeRead) {
    std::string dir = orvtest::TempDir();
    orvtest::WriteFileBytes(dir + "/data.bin", std::string("0123456789\0xyz", 14));
    FileSystem files(dir.c_str());
    File* file = files.OpenReading("data.bin");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetSize(), 14u);

    struct Case {
        long offset;
        int origin;
        bool accepted;
        unsigned long position;  // afterwards
    };
    const Case seeks[] = {
        {4, File::FromStart, true, 4},   {-2, File::FromEnd, true, 12},
        {-13, File::FromCurrent, false, 12}, {1, File::FromEnd, false, 12},
        {-14, File::FromEnd, true, 0},   {2, 7, false, 0},
    };
    for (const Case& c : seeks) {
        EXPECT_EQ(file->Seek(c.offset, c.origin), c.accepted) << c.offset << " from " << c.origin;
        EXPECT_EQ(file->Tell(), c.position) << c.offset << " from " << c.origin;
    }

    char bytes[8] = {};
    ASSERT_TRUE(file->Seek(8, File::FromStart));
    EXPECT_EQ(file->Read(bytes, sizeof bytes), 6u);  // short read at the end
    EXPECT_EQ(std::memcmp(bytes, "89\0xyz", 6), 0);
    EXPECT_TRUE(file->IsEOF());

    // The whole contents whatever the position, which stays where it was.
    const char* buffer = static_cast<const char*>(file->GetBuffer());
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(std::memcmp(buffer, "0123456789\0xyz", 15), 0);  // and a NUL after them
    EXPECT_EQ(file->Tell(), 14u);
    EXPECT_EQ(file->Write("a", 1), 0u);
    file->Close();

    orvtest::WriteFileBytes(dir + "/empty.txt", "");
    for (const char* path : {"missing.txt", "", "."}) EXPECT_EQ(files.OpenReading(path), nullptr) << path;
    EXPECT_EQ(files.OpenReading(nullptr), nullptr);
    File* empty = files.OpenReading("empty.txt");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetBuffer(), nullptr);
    EXPECT_TRUE(empty->IsEOF());
    empty->Close();
}

TEST(KernelFile, WritingCreatesTruncatesAndResolvesBackslashes) {
    std::string dir = orvtest::TempDir();
    std::filesystem::create_directories(dir + "/sub");
    orvtest::WriteFileBytes(dir + "/sub/out.txt", "old contents that are longer");
    FileSystem files(dir.c_str());
    File* file = files.OpenWriting("sub\\out.txt", 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetSize(), 0u);
    EXPECT_EQ(file->Write("hello", 5), 5u);
    char byte;
    EXPECT_EQ(file->Read(&byte, 1), 0u);
    file->Close();
    EXPECT_EQ(orvtest::ReadFileText(dir + "/sub/out.txt"), "hello");

    EXPECT_EQ(files.OpenWriting("missing/dir/out.txt", 0), nullptr);
    EXPECT_EQ(files.OpenWriting("sub/other.txt", 1), nullptr);
    EXPECT_STREQ(files.Resolve("/abs/path").c_str(), "/abs/path");
    EXPECT_STREQ(files.Resolve("Z:\\work\\a.tga").c_str(), "Z:/work/a.tga");
}
