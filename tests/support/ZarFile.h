// ZAR texture files as the tests write them: the 64-byte header, the frame
// durations, then the frames and stored levels. Written from the file layout
// alone, apart from the plug-in's reader; plain C++ so that the programs
// built for Windows can use it too.
#pragma once

#include <cstdint>
#include <vector>

namespace orvtest {

// A ZAR file under construction.
struct ZarFile {
    uint8_t version = 0, compression = 0, storedMipLevels = 0, frameCount = 0;
    uint16_t width = 0, height = 0, layoutFlags = 0;
    uint16_t channelClasses = 0xAA;  // every class 2
    std::vector<uint16_t> durations;
    std::vector<uint8_t> payload;  // frames and stored levels, as they follow the durations
    char magic[4] = "ZAR";

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> bytes(magic, magic + 3);
        bytes.push_back(version);
        for (uint16_t word : {width, height, layoutFlags, channelClasses}) Put(bytes, word);
        bytes.insert(bytes.end(), {compression, 0, storedMipLevels, frameCount});
        bytes.resize(64, 0);
        for (uint16_t duration : durations) Put(bytes, duration);
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        return bytes;
    }
    static void Put(std::vector<uint8_t>& bytes, uint16_t word) { bytes.insert(bytes.end(), {uint8_t(word), uint8_t(word >> 8)}); }
};

}  // namespace orvtest
