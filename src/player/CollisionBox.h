#pragma once

#include <cstdint>

#include "graphics/Matrix.h"

// Integer block coordinates of a cell.
struct CellCoord {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
};

// The player's axis-aligned body box, 0.5 wide and 2.0 tall, and the block
// cells that hold its corners and its centre height.
struct CollisionBox {
    // The eye sits this far above the box centre.
    static constexpr float kEyeAboveCentre = 0.5f;

    Vec3 halfExtents{0.25f, 1.0f, 0.25f};
    Vec3 centre;
    Vec3 max;
    Vec3 min;
    int32_t cellCentreY = 0;
    CellCoord cellMin;
    CellCoord cellMax;

    // Centres the box under the eye and sets max and min; the cells are left
    // as they were.
    void PlaceAround(Vec3 eye);
    // Computes the seven cell fields from centre, min and max.
    void UpdateCells();
};
