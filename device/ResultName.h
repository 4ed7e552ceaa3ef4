// The symbolic name of a Direct3D result, for "(HR:%s)" in log lines.
#pragma once

#include <dxerr8.h>

inline const char* ResultName(HRESULT result) { return DXGetErrorString8A(result); }
