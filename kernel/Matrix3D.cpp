#include "host/Matrix3D.h"

Matrix3D::Matrix3D() { SetIdentity(); }

Matrix3D::Matrix3D(float m11, float m12, float m13, float m14, float m21, float m22, float m23,
                   float m24, float m31, float m32, float m33, float m34, float m41, float m42,
                   float m43, float m44)
    : m{{m11, m12, m13, m14}, {m21, m22, m23, m24}, {m31, m32, m33, m34}, {m41, m42, m43, m44}} {}

void Matrix3D::SetIdentity() {
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) m[row][column] = row == column ? 1.0f : 0.0f;
}

bool Matrix3D::IsIdentity() const { return *this == Matrix3D(); }

// Row vectors: (v * A) * B == v * (A * B).
Matrix3D Matrix3D::operator*(const Matrix3D& other) const {
    Matrix3D product;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += m[row][k] * other.m[k][column];
            product.m[row][column] = sum;
        }
    return product;
}

bool Matrix3D::operator==(const Matrix3D& other) const {
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            if (m[row][column] != other.m[row][column]) return false;
    return true;
}
