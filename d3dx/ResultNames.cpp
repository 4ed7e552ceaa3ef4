// DXGetErrorString8A: result codes to their symbolic names, by table.
#include <dxerr8.h>

#include <d3dx8.h>

namespace {

struct ResultName {
    HRESULT code;
    const char* name;
};

constexpr HRESULT Code(unsigned long value) { return static_cast<HRESULT>(value); }

// Zero is both S_OK and D3D_OK; a Direct3D program sees it as D3D_OK, so that
// row comes first and wins. Common COM codes missing from some headers are
// written as numbers.
constexpr ResultName kResultNames[] = {
    {D3D_OK, "D3D_OK"},
    {S_FALSE, "S_FALSE"},
    // Direct3D 8
    {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY"},
    {D3DERR_WRONGTEXTUREFORMAT, "D3DERR_WRONGTEXTUREFORMAT"},
    {D3DERR_UNSUPPORTEDCOLOROPERATION, "D3DERR_UNSUPPORTEDCOLOROPERATION"},
    {D3DERR_UNSUPPORTEDCOLORARG, "D3DERR_UNSUPPORTEDCOLORARG"},
    {D3DERR_UNSUPPORTEDALPHAOPERATION, "D3DERR_UNSUPPORTEDALPHAOPERATION"},
    {D3DERR_UNSUPPORTEDALPHAARG, "D3DERR_UNSUPPORTEDALPHAARG"},
    {D3DERR_TOOMANYOPERATIONS, "D3DERR_TOOMANYOPERATIONS"},
    {D3DERR_CONFLICTINGTEXTUREFILTER, "D3DERR_CONFLICTINGTEXTUREFILTER"},
    {D3DERR_UNSUPPORTEDFACTORVALUE, "D3DERR_UNSUPPORTEDFACTORVALUE"},
    {D3DERR_CONFLICTINGRENDERSTATE, "D3DERR_CONFLICTINGRENDERSTATE"},
    {D3DERR_UNSUPPORTEDTEXTUREFILTER, "D3DERR_UNSUPPORTEDTEXTUREFILTER"},
    {D3DERR_CONFLICTINGTEXTUREPALETTE, "D3DERR_CONFLICTINGTEXTUREPALETTE"},
    {D3DERR_DRIVERINTERNALERROR, "D3DERR_DRIVERINTERNALERROR"},
    {D3DERR_NOTFOUND, "D3DERR_NOTFOUND"},
    {D3DERR_MOREDATA, "D3DERR_MOREDATA"},
    {D3DERR_DEVICELOST, "D3DERR_DEVICELOST"},
    {D3DERR_DEVICENOTRESET, "D3DERR_DEVICENOTRESET"},
    {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE"},
    {D3DERR_INVALIDDEVICE, "D3DERR_INVALIDDEVICE"},
    {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL"},
    {D3DERR_DRIVERINVALIDCALL, "D3DERR_DRIVERINVALIDCALL"},
    // Direct3D 8 extension library
    {D3DXERR_CANNOTMODIFYINDEXBUFFER, "D3DXERR_CANNOTMODIFYINDEXBUFFER"},
    {D3DXERR_INVALIDMESH, "D3DXERR_INVALIDMESH"},
    {D3DXERR_CANNOTATTRSORT, "D3DXERR_CANNOTATTRSORT"},
    {D3DXERR_SKINNINGNOTSUPPORTED, "D3DXERR_SKINNINGNOTSUPPORTED"},
    {D3DXERR_TOOMANYINFLUENCES, "D3DXERR_TOOMANYINFLUENCES"},
    {D3DXERR_INVALIDDATA, "D3DXERR_INVALIDDATA"},
    {D3DXERR_LOADEDMESHASNODATA, "D3DXERR_LOADEDMESHASNODATA"},
    // COM and Win32
    {E_NOTIMPL, "E_NOTIMPL"},
    {E_NOINTERFACE, "E_NOINTERFACE"},
    {E_POINTER, "E_POINTER"},
    {Code(0x80004004), "E_ABORT"},
    {E_FAIL, "E_FAIL"},
    {Code(0x8000FFFF), "E_UNEXPECTED"},
    {Code(0x80040110), "CLASS_E_NOAGGREGATION"},
    {Code(0x80040154), "REGDB_E_CLASSNOTREG"},
    {Code(0x800401F0), "CO_E_NOTINITIALIZED"},
    {Code(0x80070005), "E_ACCESSDENIED"},
    {Code(0x80070006), "E_HANDLE"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
    {E_INVALIDARG, "E_INVALIDARG"},
};
static_assert(sizeof kResultNames / sizeof kResultNames[0] == 43,
              "two success codes, 21 Direct3D, 7 extension-library and 13 COM codes");

// Every value must be distinct, or a name would be unreachable.
constexpr bool AllCodesDistinct() {
    for (const ResultName& a : kResultNames)
        for (const ResultName& b : kResultNames)
            if (&a != &b && a.code == b.code) return false;
    return true;
}
static_assert(AllCodesDistinct(), "each result code is named once");

}  // namespace

const char* WINAPI DXGetErrorString8A(HRESULT result) {
    for (const ResultName& entry : kResultNames)
        if (entry.code == result) return entry.name;
    return "Unknown";
}
