// The demo host's PNG files, as libpng and the hosts' reader read them back:
// every pixel's colour, no alpha channel, and nothing written for an image
// that has no pixels.
#include <gtest/gtest.h>

#include <png.h>

#include <filesystem>
#include <string>

#include "orvhostImage.h"
#include "support/TestFiles.h"

namespace {

TEST(HostImage, PngFilesHoldEveryPixelsColourWithoutAlphaOrAreRefused) {
    const std::string dir = orvtest::TempDir(), path = dir + "/image.png";
    for (const auto& size : {std::make_pair(1, 1), {3, 2}, {301, 233}}) {  // the last more than 64 KiB of pixels
        orvhost::Image image;
        image.width = size.first, image.height = size.second;
        for (int i = 0; i < image.width * image.height; ++i)
            image.argb.push_back(static_cast<uint32_t>(i) * 2654435761u);  // alpha varies too
        ASSERT_TRUE(orvhost::WritePng(path, image));

        png_image read = {};
        read.version = PNG_IMAGE_VERSION;
        ASSERT_NE(png_image_begin_read_from_file(&read, path.c_str()), 0) << read.message;
        ASSERT_TRUE(read.format == PNG_FORMAT_RGB && int(read.width) == image.width && int(read.height) == image.height);
        std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(read));
        ASSERT_NE(png_image_finish_read(&read, nullptr, rgb.data(), 0, nullptr), 0) << read.message;
        for (size_t i = 0; i < image.argb.size(); ++i) {
            const uint32_t expected = image.argb[i] & 0xFFFFFF;
            const uint32_t found = uint32_t{rgb[3 * i]} << 16 | uint32_t{rgb[3 * i + 1]} << 8 | rgb[3 * i + 2];
            ASSERT_EQ(found, expected) << image.width << " x " << image.height << ", pixel " << i;
        }
        // And read back by the hosts' own reader, as opaque colours.
        orvhost::Image back;
        ASSERT_TRUE(orvhost::ReadPng(path, &back));
        ASSERT_TRUE(back.width == image.width && back.height == image.height);
        for (size_t i = 0; i < image.argb.size(); ++i)
            ASSERT_EQ(back.argb[i], image.argb[i] | 0xFF000000u) << "pixel " << i;
    }

    // Refused without pixels or a place to go.
    orvhost::Image empty, truncated;
    truncated.width = truncated.height = 4;
    truncated.argb.assign(15, 0);
    const std::string refused = dir + "/refused.png";
    for (const orvhost::Image* image : {&empty, &truncated}) {
        EXPECT_FALSE(orvhost::WritePng(refused, *image));
        EXPECT_FALSE(std::filesystem::exists(refused));
    }
    truncated.argb.push_back(0);
    EXPECT_FALSE(orvhost::WritePng(dir + "/absent/image.png", truncated));
}

}  // namespace
