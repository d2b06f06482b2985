#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

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

Matrix4 Filled(float start) {
    Matrix4 m;
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = start + static_cast<float>(i);
    return m;
}

template <typename T = float>
std::vector<T> Values(const std::vector<uint8_t>& bytes, size_t offset, size_t count) {
    std::vector<T> values(count);
    std::memcpy(values.data(), bytes.data() + offset, count * sizeof(T));
    return values;
}

std::vector<float> FloatsOf(const Matrix4& m) { return {&m.m[0][0], &m.m[0][0] + 16}; }
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

TEST_F(Rendering, RendererCreatesItsResourcesInOrderWithTheScaledCubeMesh) {
    Config().voxelSize = 0.5f;
    CubeRenderer renderer;
    ASSERT_TRUE(renderer.Initialize(&device, 1000));
    EXPECT_EQ(device.calls, (std::vector<std::string>{
                                "CreateBuffer 576 0 0 0 1", "CreateBuffer 144 0 1 0 1", "CreateBuffer 256 1 2 1 0",
                                "CreateVertexShader 10", "CreatePixelShader 10",
                                "CreateInputLayout 3 POSITION0@0v NORMAL0@0v TEXCOORD1@1i",
                                "CreateBuffer 12000 1 0 1 0"}));
    EXPECT_EQ(renderer.InstanceCount(), 1u);
    // Vertices of 6 floats (position, normal); two triangles per face.
    const std::vector<uint8_t>& vertices = device.BufferBytes(BufferHandle{1});
    EXPECT_EQ(Values(vertices, 0, 6), (std::vector<float>{0, 0, 0.5f, 0, 0, 1}));
    EXPECT_EQ(Values(vertices, 17 * 24, 6), (std::vector<float>{0.5f, 0.5f, 0, 1, 0, 0}));
    EXPECT_EQ(Values(vertices, 23 * 24, 6), (std::vector<float>{0, 0.5f, 0.5f, -1, 0, 0}));
    const std::vector<uint8_t>& indices = device.BufferBytes(BufferHandle{2});
    EXPECT_EQ(Values<uint32_t>(indices, 0, 6), (std::vector<uint32_t>{0, 1, 2, 2, 1, 3}));
    EXPECT_EQ(Values<uint32_t>(indices, 120, 6), (std::vector<uint32_t>{20, 21, 22, 22, 21, 23}));
    renderer.Shutdown();
    EXPECT_EQ(device.CallsStartingWith("Release"),
              (std::vector<std::string>{"ReleaseBuffer 1", "ReleaseBuffer 2", "ReleaseShader 4", "ReleaseShader 5",
                                        "ReleaseBuffer 7", "ReleaseBuffer 3", "ReleaseInputLayout 6"}));
    EXPECT_EQ(device.LiveObjects(), 0u);
}

TEST_F(Rendering, EachStartFailureShowsItsMessage) {
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

TEST_F(Rendering, UploadsTransposedMatricesAndInstancesAndBindsThePipeline) {
    CubeRenderer renderer;
    ASSERT_TRUE(renderer.Initialize(&device, 8));
    const Matrix4 world = Filled(1.0f), view = Filled(-3.0f), projection = Filled(0.5f);
    device.calls.clear();
    EXPECT_TRUE(renderer.SetMatrices(device, world, view, projection));
    EXPECT_EQ(device.calls, (std::vector<std::string>{"MapDiscard 3", "Unmap 3", "SetConstantBuffer VS 0 3"}));
    const std::vector<uint8_t>& bytes = device.BufferBytes(BufferHandle{3});
    EXPECT_EQ(Values(bytes, 0, 16), FloatsOf(world.Transposed()));
    EXPECT_EQ(Values(bytes, 64, 16), FloatsOf(view.Transposed()));
    EXPECT_EQ(Values(bytes, 128, 16), FloatsOf(projection.Transposed()));
    EXPECT_EQ(Values(bytes, 192, 16), FloatsOf((view * world * projection).Transposed()));

    device.calls.clear();
    EXPECT_FALSE(renderer.UploadInstances(device, 0, nullptr));
    EXPECT_TRUE(device.calls.empty());
    const CubeInstance cubes[2] = {{1, 2, 3}, {4, 5, 6}};
    EXPECT_TRUE(renderer.UploadInstances(device, 2, cubes));
    EXPECT_EQ(renderer.InstanceCount(), 2u);
    EXPECT_EQ(Values(device.BufferBytes(BufferHandle{7}), 0, 6), (std::vector<float>{1, 2, 3, 4, 5, 6}));
    device.calls.clear();
    renderer.Bind(device);
    EXPECT_EQ(device.calls, (std::vector<std::string>{"SetIndexBuffer 2 42 0", "SetVertexBuffers 0 2 1 24 0 7 12 0",
                                                      "SetInputLayout 6", "SetVertexShader 4", "SetPixelShader 5",
                                                      "SetPrimitiveTopology TriangleList"}));
    renderer.Shutdown();
}

TEST_F(Rendering, FailedMapsShowTheirMessageAndWriteNothing) {
    CubeRenderer renderer;
    ASSERT_TRUE(renderer.Initialize(&device, 8));
    device.failing.insert("MapDiscard");
    device.calls.clear();
    renderer.SetMatrices(device, Filled(1.0f), Filled(2.0f), Filled(3.0f));
    EXPECT_EQ(device.calls, (std::vector<std::string>{"MapDiscard 3", "SetConstantBuffer VS 0 3"}));
    EXPECT_EQ(device.BufferBytes(BufferHandle{3}), std::vector<uint8_t>(256, 0));
    const CubeInstance cubes[2] = {{1, 2, 3}, {4, 5, 6}};
    EXPECT_FALSE(renderer.UploadInstances(device, 2, cubes));
    EXPECT_EQ(device.BufferBytes(BufferHandle{7}), std::vector<uint8_t>(96, 0));
    EXPECT_EQ(CapturedMessages(),
              (std::vector<std::string>{"failed to lock matrices buffer", "failed to lock instance buffer"}));
    EXPECT_EQ(device.Count("Unmap"), 0u);
    renderer.Shutdown();
}

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
    // In front; behind the camera; straddling the right plane; right of it; beyond the far plane.
    const std::pair<Vec3, bool> boxes[] = {
        {{0, 0, 100}, true},   {{0, 0, -100}, false}, {{110, 0, 100}, true},
        {{140, 0, 100}, false}, {{0, 0, 2000}, false}};
    for (const auto& [centre, visible] : boxes) EXPECT_EQ(frustum.IsBoxVisible(centre, half), visible) << centre.x;
    // Corners exactly on a plane count as outside: x = z touches the right plane.
    EXPECT_FALSE(frustum.IsBoxVisible({116.0f, 0, 100.0f}, Vec3{16, 1, 0.0f}));
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

TEST_F(WorldDrawing, WalkStopsAtTheFirstChunkWithoutContentAndAFailedMapSkipsOneDraw) {
    Build();
    Solid(0, 0, 2);
    Solid(0, 1, 3);
    Solid(0, 3, 4);  // after the empty (0, 0, 2): never reached
    const size_t maps = device.Count("MapDiscard");
    Draw(16, -40);
    EXPECT_EQ(world.ChunksDrawn(), 2u);
    EXPECT_EQ(world.CubesDrawn(), 5u);
    EXPECT_EQ(world.TrianglesDrawn(), 12u * 5);
    EXPECT_EQ(device.Count("MapDiscard"), maps + 3);  // matrices, then one per drawn chunk
    EXPECT_EQ(device.CallsStartingWith("DrawIndexedInstanced"),
              (std::vector<std::string>{"DrawIndexedInstanced 36 2 0 0 0", "DrawIndexedInstanced 36 3 0 0 0"}));
    EXPECT_EQ(Values(device.BufferBytes(BufferHandle{7}), 0, 9), (std::vector<float>{0, 3, 11, 1, 3, 11, 2, 3, 11}));

    device.failingNth["MapDiscard"] = static_cast<int>(maps) + 3 + 2;  // the first chunk's upload
    device.calls.clear();
    Draw(16, -40);
    EXPECT_EQ(device.CallsStartingWith("DrawIndexedInstanced"),
              (std::vector<std::string>{"DrawIndexedInstanced 36 3 0 0 0"}));
    EXPECT_EQ(world.TrianglesDrawn(), 12u * 3);
    EXPECT_EQ(CapturedMessages(), std::vector<std::string>{"failed to lock instance buffer"});
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

    device.failingNth["CreateBuffer"] = device.Count("CreateBuffer") + 4;
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
