#include <gtest/gtest.h>

#include <d3dx8.h>
#include <dxerr8.h>

namespace {

// Values written out as numbers, so a wrong constant in a header shows here.
struct NamedCode {
    unsigned long code;
    const char* name;
};

constexpr NamedCode kNamedCodes[] = {
    {0x00000000, "D3D_OK"},
    {0x8876017C, "D3DERR_OUTOFVIDEOMEMORY"},
    {0x88760868, "D3DERR_DEVICELOST"},
    {0x8876086C, "D3DERR_INVALIDCALL"},
    {0x88760B59, "D3DXERR_INVALIDDATA"},
    {0x80004005, "E_FAIL"},
    {0x8007000E, "E_OUTOFMEMORY"},
    // Neighbours of real codes have no name.
    {0x00000002, "Unknown"},
    {0x8876086E, "Unknown"},
};

TEST(ResultNames, NamesEveryKnownCodeAndUnknownForTheRest) {
    for (const NamedCode& entry : kNamedCodes)
        EXPECT_STREQ(DXGetErrorString8A(static_cast<HRESULT>(entry.code)), entry.name) << entry.code;
}

}  // namespace
