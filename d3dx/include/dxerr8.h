// Symbolic names of result codes, for log lines: the one routine of the
// DirectX error library that this code base calls.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// The name of a Direct3D 8, extension-library or common COM result code, for
// example "D3DERR_INVALIDCALL"; "Unknown" for any other value. Zero is
// reported as "D3D_OK" (S_OK has the same value). The text is static.
const char* WINAPI DXGetErrorString8A(HRESULT result);

#ifdef __cplusplus
}
#endif
