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

inline D3DSURFACE_DESC Level0(IDirect3DTexture8* texture) { D3DSURFACE_DESC d{}; return texture->GetLevelDesc(0, &d), d; }
inline UINT FullChain(UINT width, UINT height) { return UINT(std::log2(std::max(width, height))) + 1; }

// Largest channel difference between every lower level of texture and the
// box-filter chain computed exactly from its level 0: each pixel the average
// of the area of the level above it covers.
inline double WorstMipError(IDirect3DTexture8* texture) {
    orvd3d8::Image above = orvd3d8::TextureLevelImage(texture, 0);
    std::vector<double> exact;  // of the level above, 4 channels a pixel
    for (uint32_t pixel : above.pixels)
        for (int c = 0; c < 32; c += 8) exact.push_back(pixel >> c & 0xFF);
    double worst = 0;
    for (UINT level = 1; level < texture->GetLevelCount(); ++level) {
        const orvd3d8::Image image = orvd3d8::TextureLevelImage(texture, level);
        std::vector<double> next(image.pixels.size() * 4);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const double x0 = double(x) * above.width / image.width, x1 = double(x + 1) * above.width / image.width;
                const double y0 = double(y) * above.height / image.height, y1 = double(y + 1) * above.height / image.height;
                double* out = &next[(size_t(y) * image.width + x) * 4];
                for (int sy = int(y0); sy < int(std::ceil(y1)); ++sy)
                    for (int sx = int(x0); sx < int(std::ceil(x1)); ++sx)
                        for (int c = 0; c < 4; ++c)
                            out[c] += exact[(size_t(sy) * above.width + sx) * 4 + c] *
                                      (std::min(x1, sx + 1.0) - std::max(x0, double(sx))) *
                                      (std::min(y1, sy + 1.0) - std::max(y0, double(sy))) / ((x1 - x0) * (y1 - y0));
                for (int c = 0; c < 4; ++c) worst = std::max(worst, std::fabs((image.At(x, y) >> (8 * c) & 0xFF) - out[c]));
            }
        exact = std::move(next), above = image;
    }
    return worst;
}
