#include <cmath>

#include <gtest/gtest.h>

#include <d3dx8.h>

namespace {

constexpr float kPi = 3.14159265358979f;

// The first two numbers are fovY and aspect for a perspective, width and
// height for an orthographic projection; the last four the reference values
// of _11, _22, _33 and _43, worked out apart from the code.
struct Projection {
    bool ortho;
    float first, second, zn, zf;
    float m11, m22, m33, m43;
};

constexpr Projection kProjections[] = {
    // The driver's default projection: cot(15°) * 3 / 4, cot(15°), 500 / 499.
    {false, kPi / 6, 4.0f / 3.0f, 1.0f, 500.0f, 2.799038f, 3.732051f, 1.002004f, -1.002004f},
    {false, kPi / 2, 1.0f, 0.5f, 10.0f, 1.0f, 1.0f, 1.052632f, -0.5263158f},
    // The driver's orthographic planes.
    {true, 640.0f, 480.0f, 1.0f, 100.0f, 0.003125f, 0.004166667f, 0.01010101f, -0.01010101f},
    {true, 3.0f, 0.5f, -4.0f, 4.0f, 0.6666667f, 4.0f, 0.125f, 0.5f},
};

TEST(Matrix, ProjectionsMatchReferenceValues) {
    for (const Projection& p : kProjections) {
        // _34 and _44 tell the two projections apart: w = z or w = 1.
        const float expected[4][4] = {{p.m11, 0, 0, 0},
                                      {0, p.m22, 0, 0},
                                      {0, 0, p.m33, p.ortho ? 0.0f : 1.0f},
                                      {0, 0, p.m43, p.ortho ? 1.0f : 0.0f}};
        D3DXMATRIX matrix(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
        EXPECT_EQ(p.ortho ? D3DXMatrixOrthoLH(&matrix, p.first, p.second, p.zn, p.zf)
                          : D3DXMatrixPerspectiveFovLH(&matrix, p.first, p.second, p.zn, p.zf),
                  &matrix);
        for (UINT row = 0; row < 4; ++row)
            for (UINT column = 0; column < 4; ++column)
                EXPECT_NEAR(matrix(row, column), expected[row][column],
                            2e-6f * std::fmax(1.0f, std::fabs(expected[row][column])))
                    << p.first << " element " << row + 1 << column + 1;
    }
}

}  // namespace
