// A windowed device on the stand-in runtime for the texture-file and filter
// tests, the journal off, with texture helpers; every test ends with no
// runtime object alive.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <d3dx8.h>

#include "support/D3D8Fixture.h"
#include "support/ImageFiles.h"

class DeviceFixture : public D3D8Fixture {
protected:
    void SetUp() override {
        D3D8Fixture::SetUp();
        orvplatform::EnableJournal(false);
        ASSERT_NE(Device(), nullptr);
    }

    HRESULT Load(const std::vector<uint8_t>& bytes, IDirect3DTexture8** texture) {
        return D3DXCreateTextureFromFileInMemory(m_Device, bytes.data(), static_cast<UINT>(bytes.size()), texture);
    }
    IDirect3DTexture8* LoadOk(const std::vector<uint8_t>& bytes) {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(Load(bytes, &texture), D3D_OK);
        return texture;
    }
    // The result of a load expected to fail, which must hand out no texture.
    HRESULT LoadFailing(const std::vector<uint8_t>& bytes) {
        IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(1);
        const HRESULT result = Load(bytes, &texture);
        EXPECT_EQ(texture, nullptr);
        return result;
    }
    // A managed texture of a full chain whose level 0 holds `pixels`, rows
    // packed one after the other.
    IDirect3DTexture8* Filled(UINT width, UINT height, D3DFORMAT format, const std::vector<uint8_t>& pixels) {
        IDirect3DTexture8* texture = nullptr;
        D3DLOCKED_RECT locked;
        EXPECT_EQ(m_Device->CreateTexture(width, height, 0, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
        if (!texture || texture->LockRect(0, &locked, nullptr, 0) != D3D_OK) return ADD_FAILURE(), texture;
        const size_t rowBytes = pixels.size() / height;
        for (UINT y = 0; y < height; ++y)
            std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, &pixels[y * rowBytes], rowBytes);
        texture->UnlockRect(0);
        return texture;
    }
};

inline UINT FullChain(UINT width, UINT height) { return UINT(std::log2(std::max(width, height))) + 1; }

// Channel values (blue, green, red, alpha) of one level, unrounded.
struct ExactLevel {
    int width = 0, height = 0;
    std::vector<double> channels;  // 4 per pixel
    const double* At(int x, int y) const { return &channels[(size_t(y) * width + x) * 4]; }
};

// The box filter: each pixel the average of the area of `above` it covers.
inline ExactLevel AreaAverage(const ExactLevel& above, int width, int height) {
    ExactLevel level{width, height, std::vector<double>(size_t(width) * height * 4)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double x0 = double(x) * above.width / width, x1 = double(x + 1) * above.width / width;
            const double y0 = double(y) * above.height / height, y1 = double(y + 1) * above.height / height;
            double* out = &level.channels[(size_t(y) * width + x) * 4];
            for (int sy = int(y0); sy < int(std::ceil(y1)); ++sy)
                for (int sx = int(x0); sx < int(std::ceil(x1)); ++sx) {
                    const double w = (std::min(x1, sx + 1.0) - std::max(x0, double(sx))) *
                                     (std::min(y1, sy + 1.0) - std::max(y0, double(sy))) / ((x1 - x0) * (y1 - y0));
                    for (int c = 0; c < 4; ++c) out[c] += w * above.At(sx, sy)[c];
                }
        }
    return level;
}

// Largest channel difference between every lower level of texture and the
// box-filter chain computed exactly from its level 0; `levels` receives the
// level count.
inline double WorstMipError(IDirect3DTexture8* texture, UINT* levels = nullptr) {
    const orvd3d8::Image top = orvd3d8::TextureLevelImage(texture, 0);
    ExactLevel expected{top.width, top.height, {}};
    for (uint32_t pixel : top.pixels)
        for (int c = 0; c < 4; ++c) expected.channels.push_back(pixel >> (8 * c) & 0xFF);
    double worst = 0;
    const UINT count = texture->GetLevelCount();
    if (levels) *levels = count;
    for (UINT level = 1; level < count; ++level) {
        const orvd3d8::Image image = orvd3d8::TextureLevelImage(texture, level);
        expected = AreaAverage(expected, image.width, image.height);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                for (int c = 0; c < 4; ++c)
                    worst = std::max(worst, std::fabs((image.At(x, y) >> (8 * c) & 0xFF) - expected.At(x, y)[c]));
    }
    return worst;
}

// Largest channel difference between level 0 and the expected picture.
inline int WorstPixelError(IDirect3DTexture8* texture, const Picture& expected) {
    const orvd3d8::Image image = orvd3d8::TextureLevelImage(texture, 0);
    return WorstChannelError(Picture{UINT(image.width), UINT(image.height), image.pixels}, expected);
}
