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
    {0x00000001, "S_FALSE"},
    {0x8876017C, "D3DERR_OUTOFVIDEOMEMORY"},
    {0x88760818, "D3DERR_WRONGTEXTUREFORMAT"},
    {0x88760827, "D3DERR_DRIVERINTERNALERROR"},
    {0x88760866, "D3DERR_NOTFOUND"},
    {0x88760868, "D3DERR_DEVICELOST"},
    {0x88760869, "D3DERR_DEVICENOTRESET"},
    {0x8876086A, "D3DERR_NOTAVAILABLE"},
    {0x8876086C, "D3DERR_INVALIDCALL"},
    {0x8876086D, "D3DERR_DRIVERINVALIDCALL"},
    {0x88760B54, "D3DXERR_CANNOTMODIFYINDEXBUFFER"},
    {0x88760B59, "D3DXERR_INVALIDDATA"},
    {0x88760B5A, "D3DXERR_LOADEDMESHASNODATA"},
    {0x80004001, "E_NOTIMPL"},
    {0x80004002, "E_NOINTERFACE"},
    {0x80004003, "E_POINTER"},
    {0x80004005, "E_FAIL"},
    {0x8000FFFF, "E_UNEXPECTED"},
    {0x8007000E, "E_OUTOFMEMORY"},
    {0x80070057, "E_INVALIDARG"},
    // Neighbours of real codes and arbitrary values have no name.
    {0x00000002, "Unknown"},
    {0x8876086E, "Unknown"},
    {0x88760B5B, "Unknown"},
    {0x08760868, "Unknown"},
    {0xFFFFFFFF, "Unknown"},
};

TEST(ResultNames, NamesEveryKnownCodeAndUnknownForTheRest) {
    for (const NamedCode& entry : kNamedCodes) {
        SCOPED_TRACE(entry.name);
        EXPECT_STREQ(DXGetErrorString8A(static_cast<HRESULT>(entry.code)), entry.name);
    }
}

}  // namespace
