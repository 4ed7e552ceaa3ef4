#include <gtest/gtest.h>

#include <string>

#include "host/Container.h"
#include "host/String.h"

TEST(KernelString, CompareICIgnoresOnlyAsciiCaseAndCopiesFormatAndAppend) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] = {
        {"Texture.BMP", "texture.bmp", 0}, {"ab", "abc", -1}, {"\xC9", "\xE9", -1},  // not ASCII
        {"[", "{", -1},  // '[' is not an upper-case '{'
    };
    for (const Case& c : cases) {
        const int result = String(c.a).CompareIC(String(c.b));
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " vs " << c.b;
    }
    EXPECT_STREQ(String(nullptr).c_str(), "");

    std::string longText(5000, 'x');
    String formatted = String::Format("%s|%d|%s", "a", -12, longText.c_str());
    EXPECT_EQ(formatted.Length(), 5000u + 6);
    EXPECT_EQ(std::string(formatted.c_str()), "a|-12|" + longText);

    String copy = formatted;
    copy += String("!");
    copy = copy.c_str() + 6;  // assignment from its own text
    EXPECT_EQ(copy.Length(), 5001u);
}

TEST(KernelContainer, IterationSurvivesRemovalOfTheVisitedElement) {
    int values[5] = {0, 1, 2, 3, 4};
    Container list;
    for (int& value : values) list.PushEnd(&value);

    // Remove the odd elements while iterating.
    std::string visited;
    for (void* element = list.Rewind(); element; element = list.Next()) {
        int value = *static_cast<int*>(element);
        visited += std::to_string(value);
        EXPECT_TRUE(value % 2 == 0 || list.Remove(list.Find(element)));
    }
    EXPECT_EQ(visited, "01234");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.ElementAt(1), &values[2]);
    EXPECT_FALSE(list.Remove(3));
    EXPECT_EQ(list.ElementAt(-1), nullptr);
}
