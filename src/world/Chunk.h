#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/Matrix.h"
#include "world/CubeInstance.h"
#include "world/Directions.h"
#include "world/FaceQuads.h"
#include "world/WorldCoordinates.h"

// The blocks of one chunk, one byte each (0 air, anything else solid). The
// block at local (x, y, z) is data[(x * height + y) * width + z]: z is
// contiguous, x varies slowest.
struct BlockGrid {
    uint32_t writeCount = 0;  // block writes since the last clear
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t count = 0;
    // Shared so that a finished grid can be handed between threads whole;
    // a grid another thread may read is never written again.
    std::shared_ptr<uint8_t[]> data;

    uint32_t IndexOf(int32_t x, int32_t y, int32_t z) const {
        return (static_cast<uint32_t>(x) * height + static_cast<uint32_t>(y)) * width + static_cast<uint32_t>(z);
    }
};

// A chunk's visible cubes and, with face lists on, the exposed faces of
// those cubes grouped by direction.
struct CubeLists {
    std::vector<CubeInstance> cubes;  // at least `count` entries
    uint32_t count = 0;
    std::unique_ptr<CubeInstance[]> faces;
    uint32_t faceCapacity = 0;
    uint32_t faceStart[7] = {};  // per direction, and the end
    FaceQuads quads;  // with face quads on: the exposed faces merged
};

// One chunk of the world window: its blocks, its visible-cube list and the
// state of its resumable visible-cube scan. A chunk keeps its slot for life;
// only its origin changes when the window moves.
class Chunk {
public:
    Chunk();
    ~Chunk();
    Chunk(const Chunk&) = delete;
    Chunk& operator=(const Chunk&) = delete;

    // Allocates an all-air grid of width x height x width blocks; a failed
    // allocation ends the process with the out-of-memory message.
    bool Initialize(int32_t width, int32_t height);
    // Starts on blocks made elsewhere (all air for a new world): no
    // allocation of its own.
    void Initialize(int32_t width, int32_t height, std::shared_ptr<uint8_t[]> blocks);
    void Shutdown();

    // Places the chunk at a block origin and recomputes its centre.
    void MoveTo(const BlockPosition& origin);
    void SetNeighbour(Direction side, Chunk* neighbour) { neighbours_[LinkSlot(side)] = neighbour; }
    Chunk* Neighbour(Direction side) const { return neighbours_[LinkSlot(side)]; }

    // Block writes. Each marks this chunk and the neighbours along the faces
    // it touches dirty.
    void SetBlock(int32_t localX, int32_t y, int32_t localZ, uint8_t value);
    // Fills a column with min(height, H - 1) solid blocks from the bottom and
    // air above; a negative height changes nothing.
    void SetColumn(int32_t localX, int32_t localZ, int32_t height);
    // SetColumn for every column at once; heights[x * W + z].
    void SetAllColumns(const int32_t* heights);
    // SetBlock for a run of z values of one (x, y) row; values[z - zBegin].
    void SetRow(int32_t localX, int32_t y, int32_t zBegin, int32_t zEnd, const uint8_t* values);
    // Every block air, writeCount 0, no content, pending list emptied.
    void Clear();
    // While deferred, the dirty marks that writes give the face neighbours
    // are only collected, so that neighbouring chunks can be written from
    // different threads; ApplyNeighbourMarks hands them out and ends that.
    void DeferNeighbourMarks() { deferMarks_ = true; }
    void ApplyNeighbourMarks();

    // Takes over finished blocks, made by a generation elsewhere, whole.
    void AdoptBlocks(std::shared_ptr<uint8_t[]> blocks, uint32_t writeCount);
    // Hands the finished lists over whole, leaving none.
    CubeLists TakeLists();
    // Takes over finished lists of the cubes at `origin`.
    void AdoptLists(CubeLists lists, const BlockPosition& origin);

    // Resumable rebuild of the visible-cube list; returns the work done.
    int32_t BuildVisibleCubes(int32_t budget);
    // The rest of a begun rebuild at once.
    void FinishRebuild();
    // From now on every finished rebuild also lists the exposed faces of the
    // visible cubes, per direction.
    void EnableFaceLists() { listFaces_ = true; }
    // From now on every finished rebuild also merges the face lists into
    // quads (face lists included).
    void EnableFaceQuads(const QuadOptions& options) {
        listFaces_ = true;
        listQuads_ = true;
        quadOptions_ = options;
    }
    // Clears dirty, sets queued and restarts the scan: the chunk enters the
    // rebuild queue.
    void BeginRebuild();

    uint8_t Block(int32_t localX, int32_t y, int32_t localZ) const { return grid_.data[grid_.IndexOf(localX, y, localZ)]; }
    const BlockGrid& Grid() const { return grid_; }
    const BlockPosition& Origin() const { return origin_; }
    const Vec3& Centre() const { return centre_; }
    uint32_t VisibleCount() const { return lists_.count; }
    const CubeInstance* VisibleCubes() const { return lists_.cubes.data(); }
    bool HasContent() const { return hasContent_; }
    // Whether the lists are those of the blocks at the chunk's origin: false
    // before the first list and after a move until the next.
    bool IsListedAtOrigin() const { return listed_ && listOrigin_ == origin_; }
    bool IsDirty() const { return dirty_; }
    bool IsQueued() const { return queued_; }
    uint32_t ScanVisited() const { return visited_; }
    // The visible cubes whose neighbour in a direction is air (listed only
    // after EnableFaceLists); each entry is the cube's position. A list is
    // ordered along its direction's axis (x for the x faces and so on), in
    // scan order among cubes of one coordinate.
    uint32_t FaceCount(Direction direction) const;
    const CubeInstance* Faces(Direction direction) const;
    // The face quads (made only after EnableFaceQuads).
    const FaceQuads& Quads() const { return lists_.quads; }
    // Lets go of the quads' corners once they are on the device; the runs
    // by direction and their planes stay.
    void ReleaseQuadCorners() { std::vector<QuadVertex>().swap(lists_.quads.corners); }
    // Changes whenever the lists are replaced, so that what was made from
    // them can tell it is out of date.
    uint64_t ListVersion() const { return listVersion_; }

private:
    // The links are kept in the order -x, +x, -z, +z, +y, -y.
    static int LinkSlot(Direction side) {
        constexpr int kSlots[kDirectionCount] = {3, 2, 4, 5, 1, 0};
        return kSlots[static_cast<int>(side)];
    }
    void MarkNeighbours(int32_t localX, int32_t y, int32_t localZ);
    void MarkNeighbour(Direction side);
    void MarkRowNeighbours(int32_t localX, int32_t y, int32_t zBegin, int32_t zEnd);
    void AfterWrite();

    int32_t ScanWithinBudget(int32_t budget);
    // The scan, one z-run of a row at a time.
    void ScanRun(int32_t x, int32_t y, int32_t zBegin, int32_t zEnd);
    const uint8_t* NeighbourRowX(Direction side, int32_t y, const uint8_t* ownRow) const;
    const uint8_t* NeighbourRowY(int32_t x, int32_t y, Direction side, const uint8_t* ownRow) const;
    const uint8_t* NeighbourRowZ(Direction side, int32_t x, int32_t y) const;
    // Returns the work of listing the faces.
    int32_t FinishScan();
    // Sorts the pending cubes' faces into the face lists; returns its work.
    int32_t BuildFaceLists();
    // Merges the face lists into quads; returns its work.
    int32_t BuildFaceQuads();
    void MergeLayer(Direction direction, int32_t layer, std::vector<uint16_t>& mask, int32_t firstCount,
                    int32_t secondCount);
    void EmitQuad(Direction direction, const int32_t (&lowBlock)[3], int32_t extentFirst, int32_t extentSecond,
                  uint16_t key);
    void FaceOcclusion(const int32_t (&block)[3], Direction direction, int (&levels)[4]) const;
    bool IsSolidForOcclusion(int32_t x, int32_t y, int32_t z) const;
    void SaveScanPosition(uint32_t position);

    Vec3 centre_;
    BlockPosition origin_;
    bool hasContent_;
    bool dirty_;
    bool queued_;
    BlockGrid grid_;
    bool listed_;
    BlockPosition listOrigin_;  // where the cubes of the lists are
    CubeLists lists_;
    Chunk* neighbours_[kDirectionCount];
    std::vector<CubeInstance> pending_;
    std::vector<uint8_t> pendingFaces_;  // per pending cube: its exposed faces, bit per Direction
    std::vector<uint8_t> scanScratch_;   // one row of the scan with its z neighbours, and its faces
    uint32_t visited_;
    int32_t scanX_;
    int32_t scanY_;
    int32_t scanZ_;

    bool listFaces_;
    bool listQuads_ = false;
    QuadOptions quadOptions_;
    uint64_t listVersion_ = 0;
    bool deferMarks_;
    uint8_t deferredSides_;  // bit per Direction
};
