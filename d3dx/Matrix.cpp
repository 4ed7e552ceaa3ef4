// Matrix construction and the projection builders.
#include <cmath>
#include <cstring>

#include <d3dx8.h>

D3DXMATRIX::D3DXMATRIX(const float* elements) { std::memcpy(&_11, elements, sizeof m); }

D3DXMATRIX::D3DXMATRIX(float e11, float e12, float e13, float e14,
                       float e21, float e22, float e23, float e24,
                       float e31, float e32, float e33, float e34,
                       float e41, float e42, float e43, float e44) {
    _11 = e11; _12 = e12; _13 = e13; _14 = e14;
    _21 = e21; _22 = e22; _23 = e23; _24 = e24;
    _31 = e31; _32 = e32; _33 = e33; _34 = e34;
    _41 = e41; _42 = e42; _43 = e43; _44 = e44;
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, FLOAT fovY, FLOAT aspect,
                                              FLOAT zn, FLOAT zf) {
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    const float xScale = yScale / aspect;
    const float depthScale = zf / (zf - zn);
    *out = D3DXMATRIX(xScale, 0.0f, 0.0f, 0.0f,
                      0.0f, yScale, 0.0f, 0.0f,
                      0.0f, 0.0f, depthScale, 1.0f,
                      0.0f, 0.0f, -zn * depthScale, 0.0f);
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixOrthoLH(D3DXMATRIX* out, FLOAT w, FLOAT h, FLOAT zn, FLOAT zf) {
    const float depthScale = 1.0f / (zf - zn);
    *out = D3DXMATRIX(2.0f / w, 0.0f, 0.0f, 0.0f,
                      0.0f, 2.0f / h, 0.0f, 0.0f,
                      0.0f, 0.0f, depthScale, 0.0f,
                      0.0f, 0.0f, -zn * depthScale, 1.0f);
    return out;
}
