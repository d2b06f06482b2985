#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "graphics/Matrix.h"
#include "text/OverlayRegistry.h"
#include "world/Directions.h"
#include "world/WorldCoordinates.h"
#include "world/WorldSettings.h"

class Chunk;
class ChunkStreamer;
class CubeRenderer;
class Frustum;
class RenderDevice;
class TerrainGenerator;

// The landscape: a fixed set of chunks covering a square window of the
// endless block space around the player, the terrain generator that fills
// them, the two budgeted work queues and the drawing of the visible cubes.
class VoxelWorld {
public:
    VoxelWorld();
    ~VoxelWorld();
    VoxelWorld(const VoxelWorld&) = delete;
    VoxelWorld& operator=(const VoxelWorld&) = delete;

    // Builds every chunk, the frustum, the generator and (with a device) the
    // cube renderer; pre-generates the world unless instantStart is set.
    // A null device skips the renderer only. Shows its message and returns
    // false on bad settings or a failed renderer start.
    bool Initialize(const WorldSettings& settings, RenderDevice* device);
    void Shutdown();

    // Once per frame with the player's position: moves the window, then
    // works off the generation and rebuild queues under their budgets.
    void Update(float x, float y, float z);
    void Render(RenderDevice& device, const Matrix4& world, const Matrix4& view, const Matrix4& projection);

    // Air outside the window; otherwise the byte of the slot holding it.
    bool IsBlockSolid(int32_t x, int32_t y, int32_t z) const;

    ChunkKey CentreChunk() const { return centre_; }
    // The position of the latest Update; before it, the player's start.
    const Vec3& LastPosition() const { return lastPosition_; }
    // Where a chunk at `origin` goes when the window steps by (dx, dz) chunks.
    BlockPosition OriginAfterShift(const BlockPosition& origin, int32_t dx, int32_t dz) const;
    // The background streaming, or null when the budgets rule.
    ChunkStreamer* Streamer() { return streamer_; }
    int32_t ChunkWidth() const { return chunkWidth_; }
    int32_t ChunkHeight() const { return chunkHeight_; }
    // Every chunk of the window generated and its visible cubes listed.
    bool IsComplete() const;
    // Chunks of the window whose lists are not those of the blocks at their
    // origin: not yet listed, or moved since.
    uint32_t ChunksNotListedAtOrigin() const;
    Chunk* FindChunk(const ChunkKey& slot);
    const Chunk* FindChunk(const ChunkKey& slot) const;
    // Every chunk by slot, in key order.
    const std::map<ChunkKey, Chunk*>& Chunks() const { return chunks_; }

    int32_t ChunksX() const { return chunksX_; }
    int32_t ChunksY() const { return chunksY_; }
    int32_t ChunksZ() const { return chunksZ_; }
    uint32_t BlocksPerChunk() const { return blocksPerChunk_; }
    uint32_t ChunkCount() const { return chunkCount_; }
    uint32_t ChunksDrawn() const { return chunksDrawn_; }
    uint32_t CubesDrawn() const { return cubesDrawn_; }
    // Triangles drawn in the latest frame: 12 per cube, or 2 per face quad
    // with renderFaces.
    uint32_t TrianglesDrawn() const { return trianglesDrawn_; }
    // Bytes the latest frame's drawing wrote to the device.
    uint64_t BytesUploaded() const;
    size_t GenerationQueueSize() const { return generationQueue_.size(); }
    size_t RebuildQueueSize() const { return rebuildQueue_.size(); }
    const std::deque<Chunk*>& GenerationQueue() const { return generationQueue_; }
    const std::deque<Chunk*>& RebuildQueue() const { return rebuildQueue_; }

    // Streaming steps, run by Update and by the start-up.
    void UpdateChunkWindow();
    void EnqueueDirtyChunks();
    // Works off both queues to the end, generation first, each call with
    // the given budget. The start-up uses 100000 and 10000.
    void PreGenerate(int32_t generationBudget, int32_t rebuildBudget);
    // The same end state, with the chunks shared out among `threads`
    // threads (the calling one included): first all generation, then all
    // rebuilds. The start-up uses one thread per hardware thread.
    void PreGenerateInParallel(unsigned threads);

    // Fills the world's overlay line; returns the number of lines filled.
    short FillStatisticsLine(OverlayLine* lines);

private:
    void ComputeCounts();
    void StartStreamer();
    bool IsDrawable(const Chunk& chunk) const;
    void BuildWorld();
    void LinkNeighbours();
    Chunk* SlotAt(int32_t x, int32_t y, int32_t z, int32_t n, bool wrap, Axis axis);
    // One generation call on the chunk at the head of the queue; drops it
    // from the queue once the job has ended.
    int32_t GenerateFront(int32_t budget);
    int32_t RebuildFront(int32_t budget);
    void RunGeneration(int32_t budget);
    void RunRebuilds(int32_t budget);
    void DrawChunks(RenderDevice& device, const Vec3& eye);
    void DrawChunkCubes(RenderDevice& device, const Chunk& chunk);
    void GenerateInParallel(unsigned threads);
    void RebuildInParallel(unsigned threads);

    WorldSettings settings_;
    int32_t chunksX_;
    int32_t chunksY_;
    int32_t chunksZ_;
    uint32_t blocksPerChunk_;
    uint32_t worldHeight_;
    int32_t chunkWidth_;
    int32_t chunkHeight_;
    Vec3 lastPosition_;
    bool wrapX_;
    bool wrapY_;
    bool wrapZ_;
    ChunkKey centre_;
    std::map<ChunkKey, Chunk*> chunks_;
    std::deque<Chunk*> generationQueue_;
    std::deque<Chunk*> rebuildQueue_;
    std::vector<Chunk*> drawList_;  // the chunks of the frame being drawn
    uint32_t chunkCount_;
    uint32_t cubesDrawn_;
    uint32_t chunksDrawn_;
    uint32_t trianglesDrawn_;
    bool renderFaces_;
    Frustum* frustum_;
    CubeRenderer* renderer_;
    TerrainGenerator* generator_;
    ChunkStreamer* streamer_;
    TSpecificCallback<VoxelWorld> statisticsCallback_;
};
