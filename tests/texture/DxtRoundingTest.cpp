// The same DXT blocks loaded from a DDS file (decoded by the image loader)
// and from a ZAR file (decoded by the ZAR loader) on a device that samples
// no DXT format: each decodes exactly by its own arithmetic (libsquish's for
// image files, the ZAR rules for ZAR files).
#include <squish.h>

#include "TextureTestSupport.h"

namespace {

using orvtest::TextureTest;

constexpr unsigned kSide = 32;  // 8 x 8 blocks

// Block k's colours cover every 5- and 6-bit endpoint value: red k mod 32,
// green k, blue 31 - k mod 32, and red and blue swapped with green k + 1.
// DXT1 blocks of odd k are in three-colour mode. Pixel i takes colour index i mod 4, explicit
// alpha (i + k) mod 16, interpolated alpha index i mod 8.
std::vector<uint8_t> Blocks(int compression) {
    std::vector<uint8_t> blocks;
    for (unsigned k = 0; k < kSide * kSide / 16; ++k) {
        if (compression == 3) {
            uint64_t alphas = 0;
            for (unsigned i = 0; i < 16; ++i) alphas |= uint64_t{(i + k) % 16} << (4 * i);
            for (int b = 0; b < 8; ++b) blocks.push_back(static_cast<uint8_t>(alphas >> (8 * b)));
        } else if (compression == 5) {
            uint64_t indices = 0;
            for (unsigned i = 0; i < 16; ++i) indices |= uint64_t{i % 8} << (3 * i);
            blocks.push_back(static_cast<uint8_t>(k * 37));
            blocks.push_back(static_cast<uint8_t>(k * 91 + 13));
            for (int b = 0; b < 6; ++b) blocks.push_back(static_cast<uint8_t>(indices >> (8 * b)));
        }
        uint16_t c0 = static_cast<uint16_t>((k % 32) << 11 | k << 5 | (31 - k % 32));
        uint16_t c1 = static_cast<uint16_t>((31 - k % 32) << 11 | (k + 1) % 64 << 5 | k % 32);
        if ((c0 > c1) == (compression == 1 && k % 2 == 1)) std::swap(c0, c1);
        blocks.insert(blocks.end(), {static_cast<uint8_t>(c0), static_cast<uint8_t>(c0 >> 8),
                                     static_cast<uint8_t>(c1), static_cast<uint8_t>(c1 >> 8), 0xE4, 0xE4, 0xE4, 0xE4});
    }
    return blocks;
}

TEST_F(TextureTest, DdsAndZarFilesDecodeTheSameBlocksEachWithItsOwnRounding) {
    Display({D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A4R4G4B4}, 32);
    for (int compression : {1, 3, 5}) {
        const D3DFORMAT format = compression == 1 ? D3DFMT_DXT1 : compression == 3 ? D3DFMT_DXT3 : D3DFMT_DXT5;
        const unsigned blockBytes = compression == 1 ? 8 : 16;
        const std::vector<uint8_t> blocks = Blocks(compression);
        std::vector<uint8_t> dds = DdsBlockFile(format, kSide, kSide, 1, 1);
        dds.resize(128);
        dds.insert(dds.end(), blocks.begin(), blocks.end());
        orvtest::ZarFile zar;
        zar.width = zar.height = kSide;
        zar.compression = static_cast<uint8_t>(compression);
        zar.payload = blocks;
        const std::string name = "rounding" + std::to_string(compression);
        Texture* fromDds = m_pRenderer->CreateTextureFromFile(Write(name + ".dds", dds).c_str(), false, true);
        Texture* fromZar = m_pRenderer->CreateTextureFromFile(Write(name + ".zar", zar.Bytes()).c_str(), false, true);
        ASSERT_NE(fromDds, nullptr);
        ASSERT_NE(fromZar, nullptr);
        ASSERT_EQ(fromDds->GetFormat(), D3DFMT_A8R8G8B8);
        ASSERT_EQ(fromZar->GetFormat(), D3DFMT_A8R8G8B8);

        int wrongDds = 0, wrongZar = 0;
        for (unsigned k = 0; k < blocks.size() / blockBytes; ++k) {
            const uint8_t* block = &blocks[k * blockBytes];
            uint8_t rgba[64];
            squish::Decompress(rgba, block, compression == 1 ? squish::kDxt1 : compression == 3 ? squish::kDxt3 : squish::kDxt5);
            uint32_t reference[16];
            orvtest::ReferenceDecodeBlock(block, compression, reference);
            for (unsigned i = 0; i < 16; ++i) {
                const unsigned x = 4 * (k % (kSide / 4)) + i % 4, y = 4 * (k / (kSide / 4)) + i / 4;
                const uint32_t squished = uint32_t{rgba[4 * i + 3]} << 24 | rgba[4 * i] << 16 | rgba[4 * i + 1] << 8 | rgba[4 * i + 2];
                wrongDds += fromDds->GetPixel(x, y, 0) != squished;
                wrongZar += fromZar->GetPixel(x, y, 0) != reference[i];
            }
        }
        EXPECT_EQ(wrongDds, 0) << "DXT" << compression << ": the image loader decodes as libsquish does";
        EXPECT_EQ(wrongZar, 0) << "DXT" << compression << ": the ZAR loader decodes by the ZAR rules";
        m_pRenderer->ReleaseTexture(fromDds);
        m_pRenderer->ReleaseTexture(fromZar);
    }
}

}  // namespace
