#include "world/Frustum.h"

#include <cmath>

namespace {
Plane Column(const Matrix4& m, int k) { return Plane{m.m[0][k], m.m[1][k], m.m[2][k], m.m[3][k]}; }
Plane Add(const Plane& p, const Plane& q) { return Plane{p.a + q.a, p.b + q.b, p.c + q.c, p.d + q.d}; }
Plane Subtract(const Plane& p, const Plane& q) { return Plane{p.a - q.a, p.b - q.b, p.c - q.c, p.d - q.d}; }

// Divides by the length of the whole four-component vector.
Plane Normalized(const Plane& p) {
    const float length = std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c + p.d * p.d);
    return Plane{p.a / length, p.b / length, p.c / length, p.d / length};
}

bool Inside(const Plane& p, float x, float y, float z) { return p.a * x + p.b * y + p.c * z + p.d > 0.0f; }

bool AnyCornerInside(const Plane& p, const Vec3& lo, const Vec3& hi) {
    return Inside(p, lo.x, lo.y, lo.z) || Inside(p, hi.x, lo.y, lo.z) || Inside(p, lo.x, hi.y, lo.z) ||
           Inside(p, hi.x, hi.y, lo.z) || Inside(p, lo.x, lo.y, hi.z) || Inside(p, hi.x, lo.y, hi.z) ||
           Inside(p, lo.x, hi.y, hi.z) || Inside(p, hi.x, hi.y, hi.z);
}
}  // namespace

void Frustum::Build(const Matrix4& view, const Matrix4& projection) {
    const Matrix4 m = view * projection;
    const Plane c0 = Column(m, 0), c1 = Column(m, 1), c2 = Column(m, 2), c3 = Column(m, 3);
    const Plane raw[kPlaneCount] = {c2, Subtract(c3, c2), Add(c3, c0), Subtract(c3, c0), Subtract(c3, c1), Add(c3, c1)};
    for (int i = 0; i < kPlaneCount; ++i) {
        planes_[i] = Normalized(raw[i]);
    }
}

bool Frustum::IsBoxVisible(const Vec3& centre, const Vec3& halfExtent) const {
    const Vec3 lo = centre - halfExtent;
    const Vec3 hi = centre + halfExtent;
    for (const Plane& plane : planes_) {
        if (!AnyCornerInside(plane, lo, hi)) {
            return false;
        }
    }
    return true;
}
