#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

#include "RecordingDevice.h"
#include "ScratchFolder.h"
#include "WorldTestSupport.h"
#include "text/OverlayRegistry.h"
#include "text/OverlayRegistryAccess.h"
#include "world/CubeRenderer.h"
#include "world/Frustum.h"

namespace {
// Left-handed perspective with a 90 degree field of view, aspect 1, near 0.25, far 1024.
Matrix4 Perspective() {
    Matrix4 m;
    const float q = 1024.0f / (1024.0f - 0.25f);
    m.m[0][0] = m.m[1][1] = m.m[2][3] = 1.0f;
    m.m[2][2] = q;
    m.m[3][2] = -q * 0.25f;
    return m;
}

Matrix4 ViewFrom(float x, float y, float z) {  // looking along +z
    Matrix4 m = Matrix4::Identity();
    m.m[3][0] = -x, m.m[3][1] = -y, m.m[3][2] = -z;
    return m;
}

// The first values of the buffer named at position n of the latest (or first) recorded call with the prefix.
template <typename T = float>
std::vector<T> Values(const RecordingDevice& device, const std::string& prefix, size_t n, size_t count,
                      bool latest = true) {
    const std::vector<std::string> calls = device.CallsStartingWith(prefix);
    std::istringstream call((latest ? calls.back() : calls.at(0)).substr(prefix.size()));
    uint32_t id = 0;
    for (size_t i = 0; i <= n; ++i) call >> id;
    std::vector<T> values(count);
    std::memcpy(values.data(), device.BufferBytes(BufferHandle{id}).data(), count * sizeof(T));
    return values;
}
}  // namespace

class Rendering : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        for (const char* name : {"cube", "face"}) {
            for (const char* suffix : {"_VS.glsl", "_PS.glsl"}) std::ofstream(folder_.File(name) + suffix) << "//\n";
        }
        settings.cubeShaderName = folder_.File("cube");
        settings.faceShaderName = folder_.File("face");
    }
    CubeLook Look() const {
        return CubeLook{.voxelSize = settings.voxelSize,
                        .shaderName = settings.cubeShaderName,
                        .faceShaderName = settings.faceShaderName};
    }
    ScratchFolder folder_{"voxmere_world"};
    RecordingDevice device;
};

// Each face's four corners lie in [0, voxelSize]^3 on the side its normal
// points to; both of its triangles turn the same way round that normal. The
// buffer in slot 0 holds world, view, projection and view x world x
// projection, each transposed for the shader; the product is worked out here
// entry by entry. A failed map shows its message and writes nothing.
TEST_F(Rendering, MeshMatricesAndInstancesAreUploadedAsTheShaderReadsThemAndAllIsReleased) {
    settings.voxelSize = 0.5f;
    CubeRenderer renderer;
    ASSERT_TRUE(renderer.Initialize(&device, 8, Look()));
    const CubeInstance cubes[2] = {{1, 2, 3}, {4, 5, 6}};
    EXPECT_FALSE(renderer.UploadInstances(device, 0, nullptr));
    EXPECT_TRUE(renderer.UploadInstances(device, 2, cubes) && renderer.InstanceCount() == 2u);
    renderer.Bind(device);
    EXPECT_EQ(Values(device, "SetVertexBuffers", 1, 6), (std::vector<float>{1, 2, 3, 4, 5, 6}));
    const std::vector<float> v = Values(device, "SetVertexBuffers", 0, 144);
    const std::vector<uint32_t> index = Values<uint32_t>(device, "SetIndexBuffer", 0, 36);
    const auto p = [&](uint32_t vertex) { return Vec3{v[6 * vertex], v[6 * vertex + 1], v[6 * vertex + 2]}; };
    Vec3 normalSum{};
    for (uint32_t i = 0; i < 36; ++i) {
        const uint32_t face = i / 6, vertex = index[i];
        const Vec3 n{v[24 * face + 3], v[24 * face + 4], v[24 * face + 5]};
        normalSum = normalSum + n;
        ASSERT_EQ(vertex / 4, face) << i;
        EXPECT_EQ(Dot(p(vertex), n), n.x + n.y + n.z > 0 ? 0.5f : 0.0f) << "vertex " << vertex;
        const Vec3 a = p(index[i / 3 * 3]), b = p(index[i / 3 * 3 + 1]), c = p(index[i / 3 * 3 + 2]);
        EXPECT_GT(Dot(Cross(b - a, c - a), n), 0.0f) << "triangle " << i / 3;
    }
    EXPECT_TRUE(normalSum.x == 0 && normalSum.y == 0 && normalSum.z == 0) << "each axis once each way";

    Matrix4 m[3];  // world, view, projection
    for (int i = 0; i < 48; ++i) m[i / 16].m[i % 16 / 4][i % 4] = static_cast<float>(i % 7) - 2.0f;
    EXPECT_TRUE(renderer.SetMatrices(device, m[0], m[1], m[2]));
    const std::vector<float> stored = Values(device, "SetConstantBuffer VS 0", 0, 64);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float product = 0.0f;
            for (int j = 0; j < 16; ++j) product += m[1].m[r][j / 4] * m[0].m[j / 4][j % 4] * m[2].m[j % 4][c];
            for (int k = 0; k < 3; ++k) EXPECT_EQ(stored[16 * k + 4 * c + r], m[k].m[r][c]);
            EXPECT_FLOAT_EQ(stored[48 + 4 * c + r], product) << r << "," << c;
        }
    }
    device.failing.insert("MapDiscard");
    renderer.SetMatrices(device, Matrix4::Identity(), Matrix4::Identity(), Matrix4::Identity());
    EXPECT_FALSE(renderer.UploadInstances(device, 1, cubes + 1));
    EXPECT_EQ(Values(device, "SetConstantBuffer VS 0", 0, 64), stored);
    EXPECT_EQ(Values(device, "SetVertexBuffers", 1, 3), (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(CapturedMessages(),
              (std::vector<std::string>{"failed to lock matrices buffer", "failed to lock instance buffer"}));
    renderer.Shutdown();
    EXPECT_EQ(device.LiveObjects(), 0u);
}

// Each failing buffer (in creation order) or unreadable shader shows its message and leaves nothing behind.
TEST_F(Rendering, EachStartFailureShowsItsMessageAndLeavesNothingBehind) {
    const char* const messages[] = {"failed to create vertex buffer",   "failed to create index buffer",
                                    "failed to create matrices buffer", "failed to create instance buffer",
                                    "failed to read Pixel Shader",      "failed to read Vertex Shader"};
    for (int i = 0; i < 6; ++i) {
        RecordingDevice failing;
        failing.failingNth["CreateBuffer"] = i + 1;
        if (i >= 4) std::remove((folder_.File("cube") + (i == 4 ? "_PS.glsl" : "_VS.glsl")).c_str());
        CapturedMessages().clear();
        CubeRenderer renderer;
        EXPECT_FALSE(renderer.Initialize(&failing, 8, Look()));
        EXPECT_EQ(CapturedMessages(), std::vector<std::string>{messages[i]});
        renderer.Shutdown();
        EXPECT_EQ(failing.LiveObjects(), 0u) << messages[i];
    }
}

// The face pipeline's start failures each have their message and leave
// nothing behind: the face shaders' files, the face layout, the quad indices.
TEST_F(Rendering, FaceStartFailuresShowTheirMessages) {
    const std::pair<std::function<void(RecordingDevice&)>, const char*> failures[] = {
        {[](RecordingDevice& d) { d.failingNth["CreateBuffer"] = 6; }, "failed to create face index buffer"},
        {[](RecordingDevice& d) { d.failingNth["CreateInputLayout"] = 2; }, "failed to create face input layout"},
        {[this](RecordingDevice&) { std::remove((folder_.File("face") + "_PS.glsl").c_str()); },
         "failed to read Face Pixel Shader"},
        {[this](RecordingDevice&) { std::remove((folder_.File("face") + "_VS.glsl").c_str()); },
         "failed to read Face Vertex Shader"}};
    for (const auto& [prepare, message] : failures) {
        RecordingDevice failing;
        prepare(failing);
        CubeRenderer renderer;
        EXPECT_TRUE(renderer.Initialize(&failing, 8, Look()) && !renderer.InitializeFaces(failing));
        EXPECT_EQ(CapturedMessages().back(), message);
        renderer.Shutdown();
        EXPECT_EQ(failing.LiveObjects(), 0u) << message;
    }
}

// Planes are normalised as whole four-vectors; a box counts as inside a
// plane when a corner lies strictly inside.
TEST(FrustumPlanes, AreNormalisedCullBehindAndKeepStraddlingBoxes) {
    Frustum frustum;
    frustum.Build(ViewFrom(0, 0, 0), Perspective());
    for (int i = 0; i < Frustum::kPlaneCount; ++i) {
        const Plane& p = frustum.PlaneAt(i);
        EXPECT_NEAR(p.a * p.a + p.b * p.b + p.c * p.c + p.d * p.d, 1.0f, 1e-5f) << i;
    }
    // Near is column 2 of view x projection: (0, 0, q, -q near); left is column 3 + column 0: (1, 0, 1, 0).
    EXPECT_FLOAT_EQ(frustum.PlaneAt(0).c / -frustum.PlaneAt(0).d, 1.0f / 0.25f);
    EXPECT_TRUE(frustum.PlaneAt(2).a == frustum.PlaneAt(2).c && frustum.PlaneAt(2).b == 0 && frustum.PlaneAt(2).d == 0);
    // In front; behind; straddling the right plane; right of it; above the top one; beyond the far plane.
    const std::pair<Vec3, bool> boxes[] = {{{0, 0, 100}, true},    {{0, 0, -100}, false}, {{110, 0, 100}, true},
                                           {{140, 0, 100}, false}, {{0, 200, 100}, false}, {{0, 0, 2000}, false}};
    for (const auto& [centre, visible] : boxes) EXPECT_EQ(frustum.IsBoxVisible(centre, {16, 64, 16}), visible);
    EXPECT_FALSE(frustum.IsBoxVisible({116.0f, 0, 100.0f}, Vec3{16, 1, 0.0f})) << "x = z touches the right plane";
}

// A fixed window of 4 x 4 chunks of 8 x 16 x 8, chunks at x, z in [0, 32).
class WorldDrawing : public Rendering {
protected:
    void Build(bool faces = false) {
        UseSmallWorld(8, 16, 4);
        settings.infiniteTerrain = false;
        settings.renderFaces = faces;  // maps of 1024 faces
        ASSERT_TRUE(world.Initialize(settings, &device));
    }
    void Solid(ChunkKey key, std::vector<std::array<int, 3>> blocks) {
        for (const auto& b : blocks) world.FindChunk(key)->SetBlock(b[0], b[1], b[2], 1);
        RebuildNow(*world.FindChunk(key));
    }
    void Draw(float x, float y, float z) {
        device.calls.clear();
        world.Render(device, Matrix4::Identity(), ViewFrom(x, y, z), Perspective());
    }
    std::vector<std::string> Draws() const { return device.CallsStartingWith("DrawIndexed"); }
    VoxelWorld world;
};

// From (12, 8, 9) looking along +z, only chunks with a corner in front of
// the eye and inside the 90 degree cone pass: 3 in each column x = 0, 1, 2
// and 2 in x = 3; (1, 0, 1) has an empty list. Each drawn list is uploaded
// and drawn whole; a failed upload skips its draw; the walk in key order ends
// at the first chunk without content.
TEST_F(WorldDrawing, CulledChunksAreSkippedAndTheWalkEndsAtTheFirstChunkWithoutContent) {
    ClearOverlayRegistry();
    Build();
    EXPECT_EQ(RegisteredCallbacks().size(), 1u);
    for (int32_t i = 0; i < 16; ++i) Solid({i / 4, 0, i % 4}, {{0, 3, 3}});
    Solid({0, 0, 1}, {{1, 3, 3}, {2, 3, 3}});
    world.FindChunk({1, 0, 1})->SetBlock(0, 3, 3, 0);
    RebuildNow(*world.FindChunk({1, 0, 1}));
    Draw(12, 8, 9);
    EXPECT_TRUE(world.ChunksDrawn() == 11u && world.CubesDrawn() == 12u && world.TrianglesDrawn() == 12u * 12);
    std::vector<std::string> draws(10, "DrawIndexedInstanced 36 1 0 0 0");
    draws[0] = "DrawIndexedInstanced 36 3 0 0 0";
    EXPECT_EQ(Draws(), draws);
    EXPECT_EQ(device.Count("MapDiscard"), 2u + 10u);  // matrices, fog, then one per drawn list
    OverlayLine line;
    EXPECT_EQ(world.FillStatisticsLine(&line), 1);
    EXPECT_STREQ(line.text, "chunks rendered  11 /  16 (    12 cubes)");
    EXPECT_TRUE(line.id == 4u && line.maximumLength == 100 && line.x == 10u && line.y == 110u);
    world.FindChunk({2, 0, 0})->Clear();
    device.failingNth["MapDiscard"] = 12 + 3;  // the upload of (0, 0, 1) in the next frame
    Draw(12, 8, 9);
    EXPECT_TRUE(world.ChunksDrawn() == 6u && world.CubesDrawn() == 7u && world.TrianglesDrawn() == 12u * 4);
    EXPECT_EQ(Draws(), std::vector<std::string>(4, "DrawIndexedInstanced 36 1 0 0 0"));
    EXPECT_EQ(CapturedMessages(), std::vector<std::string>{"failed to lock instance buffer"});
    world.Shutdown();
    EXPECT_TRUE(device.LiveObjects() == 0u && world.Chunks().empty() && RegisteredCallbacks().empty());
    RecordingDevice failing;
    failing.failingNth["CreateBuffer"] = 4;
    EXPECT_FALSE(world.Initialize(settings, &failing));
    EXPECT_EQ(CapturedMessages().back(), "failed to create instance buffer");
    world.Shutdown();
    EXPECT_EQ(failing.LiveObjects(), 0u);
}

// With renderFaces each chunk's quads go to the device once, into a buffer of
// their own, and a frame draws per direction the run of quads turned towards
// the eye. Two stacked cubes at (3, 3, 3) and (3, 4, 3) make six quads, one
// per direction (+z, -z, +y, -y, +x, -x); seen from (4.5, 8, -40) the -z, +y
// and +x ones face the eye. A still frame uploads only its constants.
TEST_F(WorldDrawing, ChunkQuadsAreUploadedOnceAndOnlyThoseTurnedTowardsTheEyeDrawn) {
    Build(true);
    Solid({0, 0, 0}, {{3, 3, 3}, {3, 4, 3}});
    Draw(4.5f, 8, -40);
    EXPECT_EQ(Draws(), (std::vector<std::string>{"DrawIndexed 6 0 4", "DrawIndexed 6 0 8", "DrawIndexed 6 0 16"}));
    EXPECT_EQ(world.TrianglesDrawn(), 2u * 3);
    constexpr uint64_t kConstants = 4 * 64 + 32;
    EXPECT_EQ(world.BytesUploaded(), kConstants + 6 * 4 * sizeof(QuadVertex));
    // The -z quad in the cube mesh's corner order: direction 1, level 3 (no occlusion), then its place.
    const std::vector<float> corners = Values(device, "SetVertexBuffers", 0, 16 * 6);
    EXPECT_EQ(std::vector<float>(corners.begin() + 16, corners.begin() + 32),
              (std::vector<float>{3, 3, 3, 25, 3, 5, 3, 57, 4, 3, 3, 89, 4, 5, 3, 121}));
    Draw(4.5f, 8, -40);
    EXPECT_EQ(world.BytesUploaded(), kConstants);
    EXPECT_EQ(device.Count("CreateBuffer"), 0u);
    const std::pair<float, uint32_t> eyes[] = {{2, 3}, {4, 1}};  // -z, -y, -x; -z only: both planes touch
    for (const auto& [at, quads] : eyes) {
        Draw(at, at, -40);
        EXPECT_EQ(world.TrianglesDrawn(), 2u * quads) << at;
    }
    // New lists: a new buffer, the old one let go of.
    const size_t live = device.LiveObjects();
    Solid({0, 0, 0}, {{3, 5, 3}});
    Draw(4.5f, 8, -40);
    EXPECT_TRUE(device.Count("CreateBuffer") == 1u && device.LiveObjects() == live);
    world.Shutdown();
    EXPECT_EQ(device.LiveObjects(), 0u);
    settings.voxelSize = 0.5f;  // cubes no longer fill their blocks: no merging; +x faces at x = 3.5
    Build(true);
    Solid({0, 0, 0}, {{3, 3, 3}, {3, 4, 3}});
    Draw(4, 4, -40);
    EXPECT_EQ(world.TrianglesDrawn(), 2u * (2 + 2));
    // Chunk (1, 0, 0) is nearer than (0, 0, 0), which comes first in key order: it is drawn first.
    for (int32_t z = 1; z < 4; ++z) world.FindChunk({0, 0, z})->SetBlock(0, 0, 0, 0);  // content, no cubes
    Solid({1, 0, 0}, {{3, 3, 3}});
    Draw(12, 8, -40);
    EXPECT_EQ(device.Count("SetVertexBuffers"), 3u);  // the cube mesh's, then one per chunk
    EXPECT_EQ(Values(device, "SetVertexBuffers", 0, 1), (std::vector<float>{3}));
}
