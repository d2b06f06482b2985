#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "RecordingDevice.h"
#include "WorldTestSupport.h"
#include "text/OverlayRegistry.h"
#include "text/OverlayRegistryAccess.h"
#include "world/CubeRenderer.h"
#include "world/Frustum.h"

namespace {
// Left-handed perspective with a 90 degree field of view, aspect 1.
Matrix4 Perspective(float nearZ, float farZ) {
    Matrix4 m;
    const float q = farZ / (farZ - nearZ);
    m.m[0][0] = m.m[1][1] = m.m[2][3] = 1.0f;
    m.m[2][2] = q;
    m.m[3][2] = -q * nearZ;
    return m;
}

Matrix4 ViewFrom(float x, float y, float z) {  // looking along +z
    Matrix4 m = Matrix4::Identity();
    m.m[3][0] = -x, m.m[3][1] = -y, m.m[3][2] = -z;
    return m;
}

template <typename T = float>
std::vector<T> Values(const std::vector<uint8_t>& bytes, size_t offset, size_t count) {
    std::vector<T> values(count);
    std::memcpy(values.data(), bytes.data() + offset, count * sizeof(T));
    return values;
}

// The numbers of the first recorded call that starts with the prefix.
std::vector<uint32_t> NumbersOf(const RecordingDevice& device, const std::string& prefix) {
    std::istringstream call(device.CallsStartingWith(prefix).at(0).substr(prefix.size()));
    std::vector<uint32_t> numbers;
    for (uint32_t n; call >> n;) numbers.push_back(n);
    return numbers;
}
}  // namespace

class Rendering : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        // One name per process: ctest runs tests in parallel.
        shaderBase_ = ::testing::TempDir() + "voxmere_world_cube_" + std::to_string(getpid());
        for (const char* suffix : {"_VS.glsl", "_PS.glsl"}) std::ofstream(shaderBase_ + suffix, std::ios::binary) << "// shader\n";
        Config().cubeShaderName = shaderBase_;
    }
    void TearDown() override {
        for (const char* suffix : {"_VS.glsl", "_PS.glsl"}) std::remove((shaderBase_ + suffix).c_str());
        WorldTest::TearDown();
    }
    std::string shaderBase_;
    RecordingDevice device;
};

// Each face's four corners lie in [0, voxelSize]^3 on the side its normal
// points to; both of its triangles turn the same way round that normal.
TEST_F(Rendering, MeshIsTheCubeScaledByVoxelSizeWithTwoTrianglesPerFaceAndAllIsReleased) {
    Config().voxelSize = 0.5f;
    CubeRenderer renderer;
    ASSERT_TRUE(renderer.Initialize(&device, 1000));
    renderer.Bind(device);
    const std::vector<float> v = Values(device.BufferBytes(BufferHandle{NumbersOf(device, "SetVertexBuffers")[0]}), 0, 144);
    const std::vector<uint32_t> index =
        Values<uint32_t>(device.BufferBytes(BufferHandle{NumbersOf(device, "SetIndexBuffer")[0]}), 0, 36);
    const auto p = [&](uint32_t vertex) { return Vec3{v[6 * vertex], v[6 * vertex + 1], v[6 * vertex + 2]}; };
    Vec3 normalSum{};
    for (uint32_t i = 0; i < 36; ++i) {
        const uint32_t face = i / 6, vertex = index[i];
        const Vec3 n{v[24 * face + 3], v[24 * face + 4], v[24 * face + 5]};
        normalSum = normalSum + n;
        ASSERT_EQ(vertex / 4, face) << i;
        EXPECT_EQ(Dot(p(vertex), n), n.x + n.y + n.z > 0 ? 0.5f : 0.0f) << "vertex " << vertex;
        if (i % 3 == 0) {
            const Vec3 a = p(vertex), b = p(index[i + 1]), c = p(index[i + 2]);
            EXPECT_GT(Dot(Cross(b - a, c - a), n), 0.0f) << "triangle " << i / 3;
        }
    }
    EXPECT_TRUE(normalSum.x == 0 && normalSum.y == 0 && normalSum.z == 0) << "each axis once each way";
    renderer.Shutdown();
    EXPECT_EQ(device.LiveObjects(), 0u);
}

TEST_F(Rendering, EachStartFailureShowsItsMessageAndLeavesNothingBehind) {
    const std::pair<int, const char*> buffers[] = {{1, "failed to create vertex buffer"},
                                                   {2, "failed to create index buffer"},
                                                   {3, "failed to create matrices buffer"},
                                                   {4, "failed to create instance buffer"}};
    for (const auto& [nth, message] : buffers) {
        RecordingDevice failing;
        failing.failingNth["CreateBuffer"] = nth;
        CapturedMessages().clear();
        CubeRenderer renderer;
        EXPECT_FALSE(renderer.Initialize(&failing, 8));
        EXPECT_EQ(CapturedMessages(), std::vector<std::string>{message});
        renderer.Shutdown();
        EXPECT_EQ(failing.LiveObjects(), 0u) << message;
    }
    for (const auto& [suffix, message] : {std::pair{"_PS.glsl", "failed to read Pixel Shader"},
                                          std::pair{"_VS.glsl", "failed to read Vertex Shader"}}) {
        std::remove((shaderBase_ + suffix).c_str());
        CapturedMessages().clear();
        CubeRenderer renderer;
        EXPECT_FALSE(renderer.Initialize(&device, 8));
        EXPECT_EQ(CapturedMessages(), std::vector<std::string>{message});
    }
}

// The buffer holds world, view, projection and view x world x projection,
// each transposed for the shader; the product is worked out here entry by
// entry. A failed map shows its message and writes nothing.
TEST_F(Rendering, UploadsTransposedMatricesAndInstancesAndAFailedMapWritesNothing) {
    CubeRenderer renderer;
    ASSERT_TRUE(renderer.Initialize(&device, 8));
    Matrix4 m[3];  // world, view, projection
    for (int i = 0; i < 48; ++i) m[i / 16].m[i % 16 / 4][i % 4] = static_cast<float>(i % 7) - 2.0f;
    EXPECT_TRUE(renderer.SetMatrices(device, m[0], m[1], m[2]));
    EXPECT_EQ(NumbersOf(device, "SetConstantBuffer VS")[0], 0u);
    const BufferHandle matrices{NumbersOf(device, "SetConstantBuffer VS")[1]};
    const std::vector<float> stored = Values(device.BufferBytes(matrices), 0, 64);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float product = 0.0f;
            for (int j = 0; j < 16; ++j) product += m[1].m[r][j / 4] * m[0].m[j / 4][j % 4] * m[2].m[j % 4][c];
            for (int k = 0; k < 3; ++k) EXPECT_EQ(stored[16 * k + 4 * c + r], m[k].m[r][c]);
            EXPECT_FLOAT_EQ(stored[48 + 4 * c + r], product) << r << "," << c;
        }
    }
    const CubeInstance cubes[2] = {{1, 2, 3}, {4, 5, 6}};
    EXPECT_FALSE(renderer.UploadInstances(device, 0, nullptr));
    EXPECT_TRUE(renderer.UploadInstances(device, 2, cubes));
    EXPECT_EQ(renderer.InstanceCount(), 2u);
    renderer.Bind(device);
    const BufferHandle instances{NumbersOf(device, "SetVertexBuffers")[1]};
    EXPECT_EQ(Values(device.BufferBytes(instances), 0, 6), (std::vector<float>{1, 2, 3, 4, 5, 6}));

    device.failing.insert("MapDiscard");
    renderer.SetMatrices(device, Matrix4::Identity(), Matrix4::Identity(), Matrix4::Identity());
    EXPECT_FALSE(renderer.UploadInstances(device, 1, cubes + 1));
    EXPECT_EQ(Values(device.BufferBytes(matrices), 0, 64), stored);
    EXPECT_EQ(Values(device.BufferBytes(instances), 0, 3), (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(CapturedMessages(),
              (std::vector<std::string>{"failed to lock matrices buffer", "failed to lock instance buffer"}));
    renderer.Shutdown();
}

// Planes are normalised as whole four-vectors; a box counts as inside a
// plane when a corner lies strictly inside.
TEST(FrustumPlanes, AreNormalisedCullBehindAndKeepStraddlingBoxes) {
    Frustum frustum;
    frustum.Build(ViewFrom(0, 0, 0), Perspective(0.25f, 1024.0f));
    for (int i = 0; i < Frustum::kPlaneCount; ++i) {
        const Plane& p = frustum.PlaneAt(i);
        EXPECT_NEAR(p.a * p.a + p.b * p.b + p.c * p.c + p.d * p.d, 1.0f, 1e-5f) << i;
    }
    // Near is column 2 of view x projection: (0, 0, q, -q near); left is column 3 + column 0: (1, 0, 1, 0).
    EXPECT_FLOAT_EQ(frustum.PlaneAt(0).c / -frustum.PlaneAt(0).d, 1.0f / 0.25f);
    EXPECT_FLOAT_EQ(frustum.PlaneAt(2).a, 1.0f / std::sqrt(2.0f));
    EXPECT_FLOAT_EQ(frustum.PlaneAt(2).c, 1.0f / std::sqrt(2.0f));

    const Vec3 half{16, 64, 16};
    // In front; behind; straddling the right plane; right of it; above the top one; beyond the far plane.
    const std::pair<Vec3, bool> boxes[] = {{{0, 0, 100}, true},    {{0, 0, -100}, false}, {{110, 0, 100}, true},
                                           {{140, 0, 100}, false}, {{0, 200, 100}, false}, {{0, 0, 2000}, false}};
    for (const auto& [centre, visible] : boxes) EXPECT_EQ(frustum.IsBoxVisible(centre, half), visible) << centre.x;
    EXPECT_FALSE(frustum.IsBoxVisible({116.0f, 0, 100.0f}, Vec3{16, 1, 0.0f})) << "x = z touches the right plane";
}

class WorldDrawing : public Rendering {
protected:
    void Build() {
        UseSmallWorld(8, 16, 4);  // chunks at x, z in [0, 32)
        Config().infiniteTerrain = false;
        ASSERT_TRUE(world.Initialize(&device));
    }
    void Solid(int32_t sx, int32_t sz, int32_t blocks) {
        Chunk& chunk = *world.FindChunk({sx, 0, sz});
        for (int i = 0; i < blocks; ++i) chunk.SetBlock(i, 3, 3, 1);
        RebuildNow(chunk);
    }
    void Draw(float x, float z) {
        world.Render(device, Matrix4::Identity(), ViewFrom(x, 8, z), Perspective(0.25f, 1024.0f));
    }
    VoxelWorld world;
};

// One upload and one draw of 36 indices per drawn chunk; the walk in key
// order ends at the first chunk without content; a failed upload skips its
// chunk's draw.
TEST_F(WorldDrawing, WalkStopsAtTheFirstChunkWithoutContentAndAFailedMapSkipsOneDraw) {
    Build();
    Solid(0, 0, 2);
    Solid(0, 1, 3);
    Solid(0, 3, 4);  // after the empty (0, 0, 2): never reached
    device.calls.clear();
    Draw(16, -40);
    EXPECT_EQ(world.ChunksDrawn(), 2u);
    EXPECT_EQ(world.CubesDrawn(), 5u);
    EXPECT_EQ(world.TrianglesDrawn(), 12u * 5);
    EXPECT_EQ(device.Count("MapDiscard"), 3u);  // matrices, then one per drawn chunk
    EXPECT_EQ(device.CallsStartingWith("DrawIndexedInstanced"),
              (std::vector<std::string>{"DrawIndexedInstanced 36 2 0 0 0", "DrawIndexedInstanced 36 3 0 0 0"}));

    device.failing.insert("MapDiscard");
    device.calls.clear();
    Draw(16, -40);
    EXPECT_EQ(device.Count("DrawIndexedInstanced"), 0u);
    EXPECT_EQ(world.TrianglesDrawn(), 0u);
    EXPECT_EQ(CapturedMessages().back(), "failed to lock instance buffer");
}

TEST_F(WorldDrawing, CulledChunksAreSkippedAndEmptyListsCountWithoutADraw) {
    Build();
    for (int32_t i = 0; i < 16; ++i) Solid(i / 4, i % 4, 1);
    world.FindChunk({1, 0, 1})->SetBlock(0, 3, 3, 0);
    RebuildNow(*world.FindChunk({1, 0, 1}));
    ASSERT_EQ(world.FindChunk({1, 0, 1})->VisibleCount(), 0u);
    // From x = 12 looking along +z, only chunks with a corner in front of the
    // camera and inside the 90 degree cone pass.
    Draw(12, 9);
    EXPECT_EQ(world.ChunksDrawn(), 11u);
    EXPECT_EQ(world.CubesDrawn(), 10u);
    EXPECT_EQ(device.Count("DrawIndexedInstanced"), 10u);

    OverlayLine lines[10];
    EXPECT_EQ(world.FillStatisticsLine(lines), 1);
    EXPECT_STREQ(lines[0].text, "chunks rendered  11 /  16 (    10 cubes)");
    EXPECT_TRUE(lines[0].id == 4u && lines[0].maximumLength == 100 && lines[0].x == 10u && lines[0].y == 110u);
}

TEST_F(WorldDrawing, InitializeRegistersOneCallbackAndShutdownReleasesAllEvenAfterAFailedStart) {
    ClearOverlayRegistry();
    Build();
    EXPECT_EQ(RegisteredCallbacks().size(), 1u);
    world.Shutdown();
    EXPECT_EQ(device.LiveObjects(), 0u);
    EXPECT_TRUE(world.Chunks().empty());

    device.failingNth["CreateBuffer"] = static_cast<int>(device.Count("CreateBuffer")) + 4;
    EXPECT_FALSE(world.Initialize(&device));
    EXPECT_EQ(CapturedMessages(), std::vector<std::string>{"failed to create instance buffer"});
    world.Shutdown();
    EXPECT_EQ(device.LiveObjects(), 0u);
}

// With renderFaces each drawn chunk uploads the face lists that can face the
// eye, as many as fit into one map, and draws each with its face's two
// triangles of the cube mesh (6 indices from 6 x direction). Only the corner
// chunk (0, 0, 0) is drawn: the walk ends at the empty chunk after it.
class FaceDrawing : public WorldDrawing {
protected:
    void BuildFaces() {
        Config().renderFaces = true;
        Build();  // chunks of 8 x 16 x 8: 1024 instances per map
    }
    Chunk& Corner() { return *world.FindChunk({0, 0, 0}); }
};

// Only faces whose plane the eye is outside of are drawn: of two stacked
// cubes at (3, 3, 3) and (3, 4, 3), seen from z = -40, the -z faces always,
// the top one's +y face from above y = 5, the lower one's -y face from below
// y = 3, the +x faces from beyond x = 3 + voxelSize, the -x faces from below
// x = 3.
TEST_F(FaceDrawing, OnlyFacesTurnedTowardsTheEyeAreDrawnAndTheStatisticsStillCountCubes) {
    BuildFaces();
    Corner().SetBlock(3, 3, 3, 1);
    Corner().SetBlock(3, 4, 3, 1);
    RebuildNow(Corner());
    device.calls.clear();
    Draw(4.5f, -40);  // eye at y = 8
    EXPECT_EQ(device.CallsStartingWith("DrawIndexedInstanced"),
              (std::vector<std::string>{"DrawIndexedInstanced 6 2 6 0 0", "DrawIndexedInstanced 6 1 12 0 2",
                                        "DrawIndexedInstanced 6 2 24 0 3"}));
    EXPECT_EQ(device.Count("MapDiscard"), 2u);  // matrices, then the chunk's faces
    EXPECT_EQ(Values(device.BufferBytes(BufferHandle{7}), 0, 15),
              (std::vector<float>{3, 3, 3, 3, 4, 3, 3, 4, 3, 3, 3, 3, 3, 4, 3}));
    EXPECT_EQ(world.TrianglesDrawn(), 2u * 5);
    OverlayLine lines[1];
    world.FillStatisticsLine(lines);
    EXPECT_STREQ(lines[0].text, "chunks rendered   1 /  16 (     2 cubes)");

    const Matrix4 projection = Perspective(0.25f, 1024.0f);
    world.Render(device, Matrix4::Identity(), ViewFrom(2, 2, -40), projection);  // -z, -y, -x
    EXPECT_EQ(world.TrianglesDrawn(), 2u * (2 + 1 + 2));
    world.Render(device, Matrix4::Identity(), ViewFrom(4, 4, -40), projection);  // -z only: both planes touch the eye
    EXPECT_EQ(world.TrianglesDrawn(), 2u * 2);
    Config().voxelSize = 0.5f;  // the +x faces now lie at x = 3.5
    world.Render(device, Matrix4::Identity(), ViewFrom(4, 4, -40), projection);
    EXPECT_EQ(world.TrianglesDrawn(), 2u * (2 + 2));
}

// A checkerboard chunk has every face of its 512 cubes exposed but those
// towards the missing chunks at x - 1 and z - 1 and the outer ones of the top
// and bottom layers. From (-20, 40, -20) all its -z (448), +y (480) and -x
// (448) faces turn towards the eye: the first two lists fill one map of 1024
// instances, the third needs another, and a failed map loses only its list.
TEST_F(FaceDrawing, ListsAreBatchedIntoMapsOfTheInstanceCapacity) {
    BuildFaces();
    for (int i = 0; i < 8 * 16 * 8; ++i) Corner().SetBlock(i / 128, i / 8 % 16, i % 8, (i / 128 + i / 8 % 16 + i % 8) % 2);
    RebuildNow(Corner());
    const Matrix4 view = ViewFrom(-20, 40, -20), projection = Perspective(0.25f, 1024.0f);
    const int maps = static_cast<int>(device.Count("MapDiscard"));
    device.calls.clear();
    world.Render(device, Matrix4::Identity(), view, projection);
    EXPECT_EQ(device.Count("MapDiscard"), 1u + 2u);
    EXPECT_EQ(device.CallsStartingWith("DrawIndexedInstanced"),
              (std::vector<std::string>{"DrawIndexedInstanced 6 448 6 0 0", "DrawIndexedInstanced 6 480 12 0 448",
                                        "DrawIndexedInstanced 6 448 30 0 0"}));
    EXPECT_EQ(world.TrianglesDrawn(), 2u * 1376);

    device.failingNth["MapDiscard"] = maps + 3 + 3;  // the second face map of the next frame
    world.Render(device, Matrix4::Identity(), view, projection);
    EXPECT_EQ(world.TrianglesDrawn(), 2u * 928);
    EXPECT_EQ(CapturedMessages(), std::vector<std::string>{"failed to lock instance buffer"});
}

// Chunks are drawn nearest first, and the lists of several chunks share one
// map: from (12, 8, -40) chunk (1, 0, 0) is nearer than (0, 0, 0), which comes
// first in key order.
TEST_F(FaceDrawing, NearerChunksComeFirstAndChunksShareAMap) {
    BuildFaces();
    for (const ChunkKey key : {ChunkKey{0, 0, 0}, ChunkKey{0, 0, 1}, ChunkKey{0, 0, 2}, ChunkKey{0, 0, 3},
                               ChunkKey{1, 0, 0}}) {
        world.FindChunk(key)->SetBlock(3, 3, 3, 1);
        RebuildNow(*world.FindChunk(key));
    }
    device.calls.clear();
    Draw(12, -40);
    EXPECT_EQ(world.ChunksDrawn(), 5u);
    EXPECT_EQ(device.Count("MapDiscard"), 2u);  // matrices, then all faces
    EXPECT_EQ(Values(device.BufferBytes(BufferHandle{7}), 0, 6), (std::vector<float>{11, 3, 3, 11, 3, 3}));
    const std::vector<std::string> draws = device.CallsStartingWith("DrawIndexedInstanced");
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(draws.back(), "DrawIndexedInstanced 6 1 24 0 " + std::to_string(draws.size() - 1));
    EXPECT_EQ(world.TrianglesDrawn(), 2u * draws.size());
}
