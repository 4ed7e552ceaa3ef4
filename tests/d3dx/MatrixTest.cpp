#include <cmath>

#include <gtest/gtest.h>

#include <d3dx8.h>

namespace {

constexpr float kPi = 3.14159265358979f;

void ExpectMatrixNear(const D3DXMATRIX& actual, const float (&expected)[4][4]) {
    for (UINT row = 0; row < 4; ++row)
        for (UINT column = 0; column < 4; ++column)
            EXPECT_NEAR(actual(row, column), expected[row][column],
                        1e-5f * std::fmax(1.0f, std::fabs(expected[row][column])))
                << "element " << row + 1 << column + 1;
}

// The first two numbers are fovY and aspect for a perspective, width and
// height for an orthographic projection.
struct Projection {
    float first, second, zn, zf;
};

constexpr Projection kPerspectives[] = {
    {kPi / 6, 4.0f / 3.0f, 1.0f, 500.0f},  // the driver's default projection
    {kPi / 2, 1.0f, 0.5f, 10.0f},
    {1.0f, 16.0f / 9.0f, 2.0f, 3.0f},
};

constexpr Projection kOrthos[] = {
    {640.0f, 480.0f, 1.0f, 100.0f},  // the driver's orthographic planes
    {2.0f, 2.0f, 0.0f, 1.0f},
    {3.0f, 0.5f, -4.0f, 4.0f},
};

TEST(Matrix, PerspectiveFovLHMatchesClosedForm) {
    for (const Projection& p : kPerspectives) {
        SCOPED_TRACE(testing::Message() << "fovY " << p.first << " aspect " << p.second);
        const float h = 1.0f / std::tan(p.first / 2);
        const float w = h / p.second;
        const float q = p.zf / (p.zf - p.zn);
        const float expected[4][4] = {
            {w, 0, 0, 0}, {0, h, 0, 0}, {0, 0, q, 1}, {0, 0, -p.zn * q, 0}};
        D3DXMATRIX matrix(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
        EXPECT_EQ(D3DXMatrixPerspectiveFovLH(&matrix, p.first, p.second, p.zn, p.zf), &matrix);
        ExpectMatrixNear(matrix, expected);
    }
}

TEST(Matrix, DefaultPerspectiveHasTheDriversDepthRow) {
    D3DXMATRIX matrix;
    D3DXMatrixPerspectiveFovLH(&matrix, kPi / 6, 4.0f / 3.0f, 1.0f, 500.0f);
    EXPECT_NEAR(matrix._11, 2.7990381f, 1e-5f);  // cot(15°) * 3 / 4
    EXPECT_NEAR(matrix._22, 3.7320508f, 1e-5f);  // cot(15°)
    EXPECT_NEAR(matrix._33, 500.0f / 499.0f, 1e-6f);
    EXPECT_NEAR(matrix._43, -500.0f / 499.0f, 1e-6f);
}

TEST(Matrix, OrthoLHMatchesClosedForm) {
    for (const Projection& p : kOrthos) {
        SCOPED_TRACE(testing::Message() << "w " << p.first << " h " << p.second);
        const float q = 1.0f / (p.zf - p.zn);
        const float expected[4][4] = {{2 / p.first, 0, 0, 0},
                                      {0, 2 / p.second, 0, 0},
                                      {0, 0, q, 0},
                                      {0, 0, -p.zn * q, 1}};
        D3DXMATRIX matrix(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
        EXPECT_EQ(D3DXMatrixOrthoLH(&matrix, p.first, p.second, p.zn, p.zf), &matrix);
        ExpectMatrixNear(matrix, expected);
    }
}

}  // namespace
