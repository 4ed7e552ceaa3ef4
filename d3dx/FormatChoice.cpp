#include "FormatChoice.h"

#include "pixels/TextureFormatQuery.h"

namespace {

constexpr int kMostCandidates = 8;

// The formats an image of `format` can go into, nearest first: the same
// channels with no fewer bits, then fewer bits, then channels to spare.
struct Candidates {
    D3DFORMAT format;
    D3DFORMAT nearest[kMostCandidates];
};

// clang-format off
constexpr Candidates kCandidates[] = {
    {D3DFMT_A8R8G8B8, {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, D3DFMT_A8R3G3B2, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5}},
    {D3DFMT_X8R8G8B8, {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X4R4G4B4, D3DFMT_A4R4G4B4}},
    {D3DFMT_R8G8B8,   {D3DFMT_R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X4R4G4B4, D3DFMT_A4R4G4B4}},
    {D3DFMT_R5G6B5,   {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5}},
    {D3DFMT_X1R5G5B5, {D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R8G8B8}},
    {D3DFMT_A1R5G5B5, {D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2}},
    {D3DFMT_A4R4G4B4, {D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2, D3DFMT_A1R5G5B5}},
    {D3DFMT_X4R4G4B4, {D3DFMT_X4R4G4B4, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8}},
    {D3DFMT_R3G3B2,   {D3DFMT_R3G3B2, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_X8R8G8B8, D3DFMT_A8R3G3B2, D3DFMT_A8R8G8B8}},
    {D3DFMT_A8R3G3B2, {D3DFMT_A8R3G3B2, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}},
    {D3DFMT_A8,       {D3DFMT_A8, D3DFMT_A8L8, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2}},
    {D3DFMT_L8,       {D3DFMT_L8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8L8, D3DFMT_R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5}},
    {D3DFMT_A8L8,     {D3DFMT_A8L8, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2, D3DFMT_A1R5G5B5}},
    {D3DFMT_A4L4,     {D3DFMT_A4L4, D3DFMT_A8L8, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8}},
    {D3DFMT_DXT1,     {D3DFMT_DXT1, D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4}},
    {D3DFMT_DXT2,     {D3DFMT_DXT2, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}},
    {D3DFMT_DXT3,     {D3DFMT_DXT3, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}},
    {D3DFMT_DXT4,     {D3DFMT_DXT4, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}},
    {D3DFMT_DXT5,     {D3DFMT_DXT5, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}},
};
// clang-format on
static_assert(sizeof kCandidates / sizeof kCandidates[0] == 19,
              "every format a decoder reports: 14 uncompressed, 5 compressed");

}  // namespace

HRESULT NearestTextureFormat(IDirect3DDevice8* device, D3DFORMAT imageFormat, D3DFORMAT* chosen) {
    *chosen = D3DFMT_UNKNOWN;
    const Candidates* row = nullptr;
    for (const Candidates& candidates : kCandidates)
        if (candidates.format == imageFormat) row = &candidates;
    if (!row) return D3DERR_NOTAVAILABLE;

    TextureFormatQuery query;
    HRESULT hr = query.Read(device);
    if (FAILED(hr)) return hr;
    IDirect3D8* direct3D = nullptr;
    hr = device->GetDirect3D(&direct3D);
    if (FAILED(hr)) return hr;
    for (D3DFORMAT candidate : row->nearest) {
        if (candidate == D3DFMT_UNKNOWN) break;
        if (query.Supports(direct3D, candidate)) {
            *chosen = candidate;
            break;
        }
    }
    direct3D->Release();
    return *chosen != D3DFMT_UNKNOWN ? D3D_OK : D3DERR_NOTAVAILABLE;
}
