// The Direct3D 8 extension routines this code base calls: textures made from
// image files in memory (BMP/DIB, TGA, PNG, JPEG, DDS) with their mip chain,
// box filtering of a texture's lower levels, matrix builders for projections
// and saving a surface to a bitmap file (result-code names: dxerr8.h). Written
// against the public Direct3D 8 interfaces only, so the same code serves the
// stand-in runtime on Linux and the system runtime on Windows.
#pragma once

#include <d3d8.h>

// Extension-library result codes: facility 0x876, like Direct3D's own.
#ifndef MAKE_DDHRESULT
#define MAKE_DDHRESULT(code) MAKE_HRESULT(1, 0x876, code)
#endif

enum _D3DXERR {
    D3DXERR_CANNOTMODIFYINDEXBUFFER = MAKE_DDHRESULT(2900),
    D3DXERR_INVALIDMESH = MAKE_DDHRESULT(2901),
    D3DXERR_CANNOTATTRSORT = MAKE_DDHRESULT(2902),
    D3DXERR_SKINNINGNOTSUPPORTED = MAKE_DDHRESULT(2903),
    D3DXERR_TOOMANYINFLUENCES = MAKE_DDHRESULT(2904),
    D3DXERR_INVALIDDATA = MAKE_DDHRESULT(2905),
    D3DXERR_LOADEDMESHASNODATA = MAKE_DDHRESULT(2906),
};

// A 4 x 4 row-major matrix: Direct3D's matrix with constructors and element
// access. Default construction leaves the elements uninitialised.
struct D3DXMATRIX : public D3DMATRIX {
    D3DXMATRIX() = default;
    explicit D3DXMATRIX(const float* elements);
    D3DXMATRIX(const D3DMATRIX& matrix) : D3DMATRIX(matrix) {}
    D3DXMATRIX(float e11, float e12, float e13, float e14,
               float e21, float e22, float e23, float e24,
               float e31, float e32, float e33, float e34,
               float e41, float e42, float e43, float e44);

    float& operator()(UINT row, UINT column) { return m[row][column]; }
    float operator()(UINT row, UINT column) const { return m[row][column]; }
    operator float*() { return &_11; }
    operator const float*() const { return &_11; }
};
typedef D3DXMATRIX* LPD3DXMATRIX;

// Image file formats of the surface and texture file routines.
typedef enum _D3DXIMAGE_FILEFORMAT {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
    D3DXIFF_FORCE_DWORD = 0x7fffffff
} D3DXIMAGE_FILEFORMAT;

// Filters of the texture routines; D3DX_DEFAULT picks the routine's default.
#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_FILTER_NONE (1 << 0)
#define D3DX_FILTER_POINT (2 << 0)
#define D3DX_FILTER_LINEAR (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX (5 << 0)
#define D3DX_FILTER_MIRROR_U (1 << 16)
#define D3DX_FILTER_MIRROR_V (2 << 16)
#define D3DX_FILTER_MIRROR_W (4 << 16)
#define D3DX_FILTER_MIRROR (7 << 16)
#define D3DX_FILTER_DITHER (8 << 16)

#ifdef __cplusplus
extern "C" {
#endif

// Decodes the image file held in srcData (srcDataSize bytes; BMP/DIB, TGA,
// PNG, JPEG or DDS, recognised from the bytes) into a new managed-pool
// texture of device with a complete mip chain, and hands it out in *texture
// with one reference. Level 0 is in the image's own format where the device
// makes textures of it, else the nearest it does; sides are kept unless the
// device's caps ask for powers of two (or squares), when the image is scaled
// up bilinearly. Images larger than the device's largest texture are refused.
// D3DXERR_INVALIDDATA for data that is not a recognised or intact image,
// E_OUTOFMEMORY, or the device's own failure; *texture is then null.
HRESULT WINAPI D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* device, LPCVOID srcData,
                                                 UINT srcDataSize,
                                                 IDirect3DTexture8** texture);

// Rebuilds every level of texture below srcLevel (D3DX_DEFAULT: level 0) from
// the level above it with a box filter (alpha included; odd sides weighted by
// area), whichever filter type is named; DXT levels are decompressed,
// filtered and compressed again. palette is not used. D3DERR_INVALIDCALL for
// a texture format without a pixel layout, a source level past the last or
// an unknown filter; the lock's failure when a level cannot be locked.
HRESULT WINAPI D3DXFilterTexture(IDirect3DBaseTexture8* texture, const PALETTEENTRY* palette,
                                 UINT srcLevel, DWORD filter);

// Left-handed perspective projection: vertical field of view fovY in radians,
// aspect = width / height, near and far planes zn and zf. Returns out.
D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, FLOAT fovY, FLOAT aspect,
                                              FLOAT zn, FLOAT zf);

// Left-handed orthographic projection of a w x h view volume between the
// planes zn and zf. Returns out.
D3DXMATRIX* WINAPI D3DXMatrixOrthoLH(D3DXMATRIX* out, FLOAT w, FLOAT h, FLOAT zn, FLOAT zf);

// Saves srcSurface, or the part of it in srcRect (null: all of it), to the
// file destFile. Only D3DXIFF_BMP is written; any other format gives
// D3DERR_INVALIDCALL. The bitmap is 24 bits per pixel, uncompressed, rows
// bottom-up and padded to 4 bytes; alpha is dropped. Surfaces in the RGB
// formats (R8G8B8 to X4R4G4B4) and the luminance formats L8, A8L8 and A4L4
// are accepted; srcPalette is not used. The surface is locked read-only for the
// copy. D3DERR_INVALIDCALL for another surface format or a rectangle not
// inside the surface, the lock's result when the surface cannot be locked,
// E_FAIL when the file cannot be written; on failure no file is left behind.
HRESULT WINAPI D3DXSaveSurfaceToFileA(LPCSTR destFile, D3DXIMAGE_FILEFORMAT destFormat,
                                      IDirect3DSurface8* srcSurface,
                                      const PALETTEENTRY* srcPalette, const RECT* srcRect);

#ifdef __cplusplus
}
#endif
