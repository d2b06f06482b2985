#pragma once

#include <string>
#include <vector>

#include "world/Chunk.h"

class SimplexNoise;

// Plain block-by-block versions of the terrain and visibility rules, slow and
// obvious, to check the batched code against.
std::string ReferenceChunkBlocks(const SimplexNoise& noise, int method, const BlockPosition& origin, int width,
                                 int height);
std::vector<CubeInstance> ReferenceVisibleCubes(const Chunk& chunk);
