#include "player/CollisionBox.h"

#include <cmath>

namespace {

// Floor taken in double precision, as the collision cells always were.
int32_t CellOf(float value) {
    return static_cast<int32_t>(static_cast<float>(std::floor(static_cast<double>(value))));
}

}  // namespace

void CollisionBox::PlaceAround(Vec3 eye) {
    centre = {eye.x, eye.y - kEyeAboveCentre, eye.z};
    max = halfExtents + centre;
    min = centre - halfExtents;
}

void CollisionBox::UpdateCells() {
    cellCentreY = CellOf(centre.y);
    cellMin.x = CellOf(min.x);
    cellMin.y = CellOf(min.y);
    cellMin.z = CellOf(min.z);
    cellMax.x = CellOf(max.x);
    cellMax.y = CellOf(max.y);
    cellMax.z = CellOf(max.z);
}
