// Three floats: a position or a direction.
#pragma once

class Vector3D {
public:
    Vector3D() : x(0.0f), y(0.0f), z(0.0f) {}
    Vector3D(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    float x;
    float y;
    float z;
};

static_assert(sizeof(Vector3D) == 12, "Vector3D is three floats");
