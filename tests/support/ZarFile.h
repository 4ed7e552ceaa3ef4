// ZAR texture files as the tests write them: the 64-byte header, the frame
// durations, then the frames and stored levels. Written from the file layout
// alone, apart from the plug-in's reader; plain C++ so that the programs
// built for Windows can use it too.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace orvtest {

// A ZAR file under construction.
struct ZarFile {
    uint8_t version = 0;
    uint16_t width = 0, height = 0;
    uint16_t layoutFlags = 0;
    uint16_t channelClasses = 0xAA;  // every class 2
    uint8_t compression = 0;
    uint8_t storedMipLevels = 0;
    uint8_t frameCount = 0;
    std::vector<uint16_t> durations;
    std::vector<uint8_t> payload;  // frames and stored levels, as they follow the durations
    char magic[4] = "ZAR";

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> bytes(64, 0);
        const uint16_t words[] = {width, height, layoutFlags, channelClasses};  // at 4, 6, 8, 10
        std::memcpy(bytes.data(), magic, 3);
        bytes[3] = version;
        std::memcpy(&bytes[4], words, sizeof words);
        bytes[12] = compression;
        bytes[14] = storedMipLevels;
        bytes[15] = frameCount;
        for (uint16_t duration : durations) bytes.insert(bytes.end(), {uint8_t(duration), uint8_t(duration >> 8)});
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        return bytes;
    }
};

}  // namespace orvtest
