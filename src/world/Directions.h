#pragma once

#include "world/CubeInstance.h"

// The six directions along the axes, in the order of the cube mesh's faces.
enum class Direction : int { ZPlus = 0, ZMinus, YPlus, YMinus, XPlus, XMinus };
constexpr int kDirectionCount = 6;

enum class Axis : int { X = 0, Y = 1, Z = 2 };

inline Axis AxisOf(Direction direction) { return static_cast<Axis>(2 - static_cast<int>(direction) / 2); }
inline float CoordinateAlong(const CubeInstance& cube, Axis axis) {
    return axis == Axis::X ? cube.x : (axis == Axis::Y ? cube.y : cube.z);
}
