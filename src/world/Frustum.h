#pragma once

#include "graphics/Matrix.h"

// A plane (a, b, c, d): a point p is inside when a*p.x + b*p.y + c*p.z + d > 0.
struct Plane {
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
    float d = 0.0f;
};

// The six planes of the view volume, in the order near, far, left, right,
// top, bottom, rebuilt every frame from the view and projection matrices.
class Frustum {
public:
    static constexpr int kPlaneCount = 6;

    void Build(const Matrix4& view, const Matrix4& projection);
    // False as soon as one plane has all eight corners of the box on or
    // outside it.
    bool IsBoxVisible(const Vec3& centre, const Vec3& halfExtent) const;
    const Plane& PlaneAt(int index) const { return planes_[index]; }

private:
    Plane planes_[kPlaneCount];
};
