// A 4x4 transform in Direct3D's row-major layout (row vectors, translation in
// the fourth row); handed to Direct3D unchanged.
#pragma once

#include "KernelApi.h"

class ORVKERNEL_API Matrix3D {
public:
    // The identity.
    Matrix3D();
    Matrix3D(float m11, float m12, float m13, float m14, float m21, float m22, float m23,
             float m24, float m31, float m32, float m33, float m34, float m41, float m42,
             float m43, float m44);

    void SetIdentity();
    bool IsIdentity() const;
    Matrix3D operator*(const Matrix3D& other) const;
    bool operator==(const Matrix3D& other) const;

    float m[4][4];
};

static_assert(sizeof(Matrix3D) == 64, "Matrix3D is sixteen floats");
