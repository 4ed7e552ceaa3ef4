// The file type of a texture file from the last three characters of its
// name, ignoring case: 1 ZAR, 2 TGA, 3 BMP, 4 PNG, 5 DDS, 6 JPG, 7 DIB, else
// 0 (also for names shorter than three characters). Only ZAR changes how a
// file is loaded; the image loader recognises the others by their bytes.
#pragma once

#include <cctype>
#include <cstring>

constexpr int kZarFileType = 1;

inline int TextureFileType(const char* fileName) {
    static const char* const kExtensions[] = {"ZAR", "TGA", "BMP", "PNG", "DDS", "JPG", "DIB"};
    static_assert(sizeof kExtensions / sizeof kExtensions[0] == 7, "seven known extensions");
    if (!fileName) return 0;
    const size_t length = std::strlen(fileName);
    if (length < 3) return 0;
    const char* last = fileName + length - 3;
    for (int type = 0; type < 7; ++type) {
        const char* extension = kExtensions[type];
        bool same = true;
        for (int i = 0; i < 3 && same; ++i)
            same = std::toupper(static_cast<unsigned char>(last[i])) == extension[i];
        if (same) return type + 1;
    }
    return 0;
}
