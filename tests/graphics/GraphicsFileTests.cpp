#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <tuple>

#include "RecordingDevice.h"
#include "ScratchFolder.h"
#include "graphics/DDSTextureLoader.h"
#include "graphics/DdsFormat.h"
#include "graphics/Screenshot.h"
#include "graphics/ShaderLoader.h"
#include "platform/NativeFile.h"

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"  // designated DdsLayout initializers

// The files the graphics code reads and writes: DDS textures, shader pairs and screenshots.
namespace {

constexpr DdsPixelFormat kRgba32 = {32, kDdpfRgb, 0, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
constexpr DdsPixelFormat kLuminance8 = {32, kDdpfLuminance, 0, 8, 0xFF, 0, 0, 0};
constexpr uint32_t kFlags = kDdsdCaps | kDdsdHeight | kDdsdWidth | kDdsdPixelFormat;
constexpr uint32_t kEof = 0x80070026u, kNotSupported = 0x80070032u, kInvalidData = 0x8007000Du, kFail = 0x80004005u;

DdsPixelFormat FourCc(uint32_t code) { return {32, kDdpfFourCc, code, 0, 0, 0, 0, 0}; }
const DdsPixelFormat kDxt1 = FourCc(MakeFourCc('D', 'X', 'T', '1'));

// The description of a DDS file a test writes.
struct DdsLayout {
    uint32_t magic = kDdsMagic, headerSize = kDdsHeaderSize, flags = kFlags;
    uint32_t width = 4, height = 4, depth = 0, mipCount = 1;
    DdsPixelFormat pixelFormat = kRgba32;
    uint32_t caps2 = 0;
    std::optional<DdsHeaderDx10> dx10;
    size_t pixelBytes = 64;
};

DdsLayout Dx10(DdsLayout layout, uint32_t dxgiFormat, uint32_t dimension, uint32_t arraySize, uint32_t miscFlag = 0) {
    layout.pixelFormat = FourCc(MakeFourCc('D', 'X', '1', '0'));
    layout.dx10 = DdsHeaderDx10{dxgiFormat, dimension, miscFlag, arraySize, 0};
    return layout;
}

template <typename T>
std::string Bytes(const T& value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// The file image: headers, then pixel bytes counting 0, 1, 2, ... (mod 251).
std::string Build(const DdsLayout& l) {
    const DdsHeader header{.size = l.headerSize, .flags = l.flags, .height = l.height, .width = l.width,
                           .depth = l.depth, .mipMapCount = l.mipCount, .pixelFormat = l.pixelFormat, .caps2 = l.caps2};
    std::string bytes = Bytes(l.magic) + Bytes(header) + (l.dx10 ? Bytes(*l.dx10) : "");
    for (size_t i = 0; i < l.pixelBytes; ++i) bytes.push_back(static_cast<char>(i % 251));
    return bytes;
}

// Keeps the description and each subresource handed over as "rowPitch/slicePitch@offset from the first level".
class TextureRecorder : public RecordingDevice {
public:
    bool CreateTexture(const TextureDesc& d, const SubresourceData* subresources, TextureViewHandle& out) override {
        shape = {static_cast<uint32_t>(d.dimension), d.width, d.height, d.depth, d.mipLevels, d.arraySize,
                 static_cast<uint32_t>(d.format), d.cube};
        levels.clear();
        const auto* first = static_cast<const uint8_t*>(subresources[0].data);
        firstByte = *first;
        for (uint32_t i = 0; i < d.mipLevels * d.arraySize; ++i) {
            const SubresourceData& level = subresources[i];
            levels.push_back(std::to_string(level.rowPitch) + "/" + std::to_string(level.slicePitch) + "@" +
                             std::to_string(static_cast<const uint8_t*>(level.data) - first));
        }
        return RecordingDevice::CreateTexture(d, subresources, out);
    }
    uint32_t FeatureLevel() const override { return featureLevel; }
    bool SupportsTextureFormat(Format format) const override { return format != unsupported; }
    std::vector<uint32_t> shape;  // dimension, width, height, depth, levels, items, format, cube
    std::vector<std::string> levels;
    uint8_t firstByte = 0;
    uint32_t featureLevel = 0xa000;
    Format unsupported = Format::Unknown;
};

class DdsLoaderTest : public ::testing::Test {
protected:
    uint32_t Load(const DdsLayout& layout, size_t fileSize = 0) {
        std::string bytes = Build(layout);
        if (fileSize != 0) bytes.resize(fileSize);
        view_.id = 77;
        return LoadFile(&device_, folder_.Write("texture.dds", bytes), &view_);
    }
    static uint32_t LoadFile(RenderDevice* device, const std::string& path, TextureViewHandle* view) {
        return static_cast<uint32_t>(LoadDdsTexture(device, NativeString(path.begin(), path.end()).c_str(), view));
    }
    ScratchFolder folder_{"voxmere-dds"};
    TextureRecorder device_;
    TextureViewHandle view_;
};

// Invalid argument, file not found, access denied (a folder); the view is cleared.
TEST_F(DdsLoaderTest, RejectsMissingArgumentsAndUnreadablePathsAndClearsTheView) {
    const std::string path = folder_.Write("texture.dds", Build(DdsLayout{}));
    using Case = std::tuple<RenderDevice*, std::string, uint32_t>;
    for (const auto& [device, file, expected] : {Case{nullptr, path, 0x80070057u},
                                                 Case{&device_, folder_.File("none.dds"), 0x80070002u},
                                                 Case{&device_, folder_.File(""), 0x80070005u}}) {
        view_.id = 5;
        EXPECT_EQ(LoadFile(device, file, &view_), expected) << file;
        EXPECT_FALSE(view_);
    }
    EXPECT_EQ(LoadFile(&device_, path, nullptr), 0x80070057u);
    EXPECT_TRUE(device_.calls.empty());
}

TEST_F(DdsLoaderTest, BrokenUnsupportedOrShortFilesFailBeforeCreation) {
    const struct {
        const char* what;
        DdsLayout layout;
        size_t fileSize;
        uint32_t expected;
    } cases[] = {
        {"127-byte file", {}, 127, kFail},
        {"magic", {.magic = MakeFourCc('D', 'D', 'S', 'X')}, 0, kFail},
        {"header size", {.headerSize = 123}, 0, kFail},
        {"pixel format size", {.pixelFormat = {24, kDdpfRgb, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000}}, 0, kFail},
        {"cut DX10 header", Dx10({.pixelBytes = 0}, 28, kDimensionTexture2D, 1), 147, kFail},
        {"no pixels", {.pixelBytes = 0}, 0, kEof},
        {"mip chain a byte short",
         {.width = 8, .height = 2, .mipCount = 4, .pixelFormat = kLuminance8, .pixelBytes = 22}, 0, kEof},
        {"24-bit RGB", {.pixelFormat = {32, kDdpfRgb, 0, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0}}, 0, kNotSupported},
        {"cube lacking -Y", {.caps2 = kDdsCaps2Cubemap | (kDdsCaps2AllFaces & ~0x2000u), .pixelBytes = 6 * 64}, 0,
         kNotSupported},
        {"DX10 array size 0", Dx10({}, 28, kDimensionTexture2D, 0), 0, kInvalidData},
        {"DX10 format 100", Dx10({}, 100, kDimensionTexture2D, 1), 0, kNotSupported},
        {"DX10 volume without depth flag", Dx10({}, 28, kDimensionTexture3D, 1), 0, kInvalidData},
        {"16 levels", {.mipCount = 16}, 0, kNotSupported},
        {"2049 array items", Dx10({}, 61, kDimensionTexture2D, 2049), 0, kNotSupported},
        {"cube faces beyond 2^32", Dx10({}, 28, kDimensionTexture2D, 0x2AAAAAABu, kMiscTextureCube), 0,
         kNotSupported},
        {"width 0", {.width = 0}, 0, kInvalidData},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.layout, c.fileSize), c.expected) << c.what;
        EXPECT_FALSE(view_) << c.what;
    }
    device_.unsupported = Format::R8G8B8A8_UNorm;
    EXPECT_EQ(Load(DdsLayout{.pixelBytes = 0}), kEof) << "the table is filled before the device is asked";
    EXPECT_EQ(Load(DdsLayout{}), kNotSupported) << "a format the device cannot take";
    EXPECT_EQ(device_.Count("CreateTexture"), 0u);
}

// Levels halve down to 1; block-compressed levels take whole 4 x 4 blocks; a volume level spans all its slices;
// array items come first, their levels within them; pixel data begins right after the headers.
TEST_F(DdsLoaderTest, ShapesAndSubresourceLayouts) {
    const struct {
        const char* what;
        DdsLayout layout;
        std::vector<uint32_t> shape;
        std::vector<std::string> levels;
    } cases[] = {
        {"mip count 0 means one level", {.mipCount = 0}, {1, 4, 4, 1, 1, 1, 28, 0}, {"16/64@0"}},
        {"mip chain",
         {.width = 8, .height = 2, .mipCount = 4, .pixelFormat = kLuminance8, .pixelBytes = 8 * 2 + 4 + 2 + 1},
         {1, 8, 2, 1, 4, 1, 61, 0}, {"8/16@0", "4/4@16", "2/2@20", "1/1@22"}},
        {"cube map", {.caps2 = kDdsCaps2Cubemap | kDdsCaps2AllFaces, .pixelBytes = 6 * 64}, {1, 4, 4, 1, 1, 6, 28, 1},
         {"16/64@0", "16/64@64", "16/64@128", "16/64@192", "16/64@256", "16/64@320"}},
        {"volume",
         {.flags = kFlags | kDdsdDepth, .width = 2, .height = 2, .depth = 3, .mipCount = 2, .pixelBytes = 48 + 4},
         {2, 2, 2, 3, 2, 1, 28, 0}, {"8/16@0", "4/4@48"}},
        {"BC1", {.width = 6, .height = 6, .mipCount = 2, .pixelFormat = kDxt1, .pixelBytes = 40},
         {1, 6, 6, 1, 2, 1, 71, 0}, {"16/32@0", "8/8@32"}},
        {"DX10 array", Dx10({.mipCount = 2, .pixelBytes = 2 * (64 + 16)}, 28, kDimensionTexture2D, 2),
         {1, 4, 4, 1, 2, 2, 28, 0}, {"16/64@0", "8/16@64", "16/64@80", "8/16@144"}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Load(c.layout), 0u) << c.what;
        EXPECT_TRUE(view_ && device_.firstByte == 0) << c.what;
        EXPECT_EQ(device_.shape, c.shape) << c.what;
        EXPECT_EQ(device_.levels, c.levels) << c.what;
    }
}

// A failed creation is tried once more without each item's levels above the device's size limit (8192 at 10_0,
// 4096 at 9_3, 2048 at 9_1); one level is not retried.
TEST_F(DdsLoaderTest, FailedCreationRetriesCappedByFeatureLevelUnlessThereIsOneLevel) {
    const DdsLayout wide = Dx10({.width = 16384, .height = 1, .mipCount = 2, .pixelBytes = 2 * (16384 + 8192)}, 61,
                                kDimensionTexture2D, 2);
    device_.failingNth["CreateTexture"] = 1;
    ASSERT_EQ(Load(wide), 0u);
    EXPECT_TRUE(device_.shape[1] == 8192u && device_.shape[4] == 1u);
    EXPECT_EQ(device_.firstByte, 16384 % 251) << "the retry starts at the second level's bytes";
    const DdsLayout texture = {.width = 8192, .height = 1, .mipCount = 3, .pixelFormat = kLuminance8,
                               .pixelBytes = 8192 + 4096 + 2048};
    for (const auto& [level, width] : {std::pair{0x9100u, 2048u}, {0x9300u, 4096u}}) {
        device_.featureLevel = level;
        device_.failingNth["CreateTexture"] = static_cast<int>(device_.Count("CreateTexture")) + 1;
        ASSERT_EQ(Load(texture), 0u);
        EXPECT_EQ(device_.shape[1], width) << std::hex << level;
    }
    const size_t before = device_.Count("CreateTexture");
    device_.failing = {"CreateTexture"};
    EXPECT_EQ(Load(DdsLayout{}), kFail);
    EXPECT_EQ(device_.Count("CreateTexture"), before + 1) << "one level: no retry";
    EXPECT_FALSE(view_);
}

class ShaderLoaderTest : public ::testing::Test {
protected:
    ShaderPairResult Load(const std::string& baseName) {
        const InputElement position = {
            .semanticName = "POSITION", .format = Format::R32G32B32_Float, .alignedByteOffset = kAppendAligned};
        device_.calls.clear();
        return LoadShaderPair(device_, folder_.File(baseName), &position, 1, pair_);
    }
    ScratchFolder folder_{"voxmere-shader"};
    RecordingDevice device_;
    ShaderPair pair_;
};

// "<base>_VS.glsl" must fit 128 bytes with its terminator: a longer name is refused, never read under a cut name.
// The vertex file is read first; the device's rejections of a read pair are not failures.
TEST_F(ShaderLoaderTest, ReadsBothFilesOfNamesUpTo127CharactersVertexFirstThenCreatesShadersAndLayout) {
    const std::string longest(127 - std::string("_VS.glsl").size() - folder_.File("").size(), 'n');
    for (const std::string& name : {std::string("Cube"), longest, longest + "n"}) {
        folder_.Write(name + "_VS.glsl", "vertex");
        folder_.Write(name + "_PS.glsl", "pixel!!");
    }
    for (const std::string& name : {std::string("Cube"), longest}) {
        ASSERT_EQ(Load(name), ShaderPairResult::Loaded) << name;
        EXPECT_EQ(device_.calls,
                  (std::vector<std::string>{"CreateVertexShader", "CreatePixelShader", "CreateInputLayout"}));
        EXPECT_TRUE(pair_.vertexShader && pair_.pixelShader && pair_.inputLayout);
    }
    folder_.Write(longest + "n_VS.gls", "vertex");  // the name cut to 127 characters
    folder_.Write(longest + "n_PS.gls", "pixel");
    EXPECT_EQ(Load(longest + "n"), ShaderPairResult::VertexShaderUnreadable);
    folder_.Write("Pixel_PS.glsl", "pixel");
    folder_.Write("Vertex_VS.glsl", "vertex");
    EXPECT_EQ(Load("Pixel"), ShaderPairResult::VertexShaderUnreadable);
    EXPECT_EQ(Load("Vertex"), ShaderPairResult::PixelShaderUnreadable);
    EXPECT_TRUE(device_.calls.empty());
    folder_.Write("Empty_VS.glsl", "");
    folder_.Write("Empty_PS.glsl", "");
    std::filesystem::create_directory(folder_.File("Dir_VS.glsl"));
    EXPECT_EQ(Load("Dir"), ShaderPairResult::VertexShaderUnreadable) << "a folder, not a file";
    device_.failing = {"CreateVertexShader", "CreatePixelShader", "CreateInputLayout"};
    pair_ = ShaderPair{};
    EXPECT_EQ(Load("Empty"), ShaderPairResult::Loaded);
    EXPECT_FALSE(pair_.vertexShader);
}

std::vector<uint8_t> ReadPng(const std::string& path, int& width, int& height) {
    int channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
    std::vector<uint8_t> rgba(pixels, pixels == nullptr ? pixels : pixels + 4 * width * height);
    stbi_image_free(pixels);
    return rgba;
}

// Rows are written top first and read back unchanged; bad sizes and paths are refused; an old file is replaced
// whole, a folder in the way is left as it was, and no partial file stays behind.
TEST(ScreenshotTest, WritesRowsTopFirstThatReadBackUnchangedAndRefusesBadInput) {
    ScratchFolder folder("voxmere-shot");
    // 3 x 2: a red, green, blue top row over a white, black, translucent one.
    const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255,
                                       255, 255, 255, 255, 0, 0, 0, 255, 10, 20, 30, 128};
    const std::string path = folder.File("shot.png");
    ASSERT_TRUE(SavePng(path.c_str(), rgba, 3, 2));
    int width = 0, height = 0;
    EXPECT_TRUE(ReadPng(path, width, height) == rgba && width == 3 && height == 2);
    const std::vector<uint8_t> onePixel = {1, 2, 3, 4};
    EXPECT_FALSE(SavePng(folder.File("a.png").c_str(), onePixel, 2, 1));
    EXPECT_FALSE(SavePng(folder.File("b.png").c_str(), {}, 0, 0));
    EXPECT_FALSE(SavePng(folder.File("no/such/folder.png").c_str(), onePixel, 1, 1));
    ASSERT_TRUE(SavePng(path.c_str(), onePixel, 1, 1));
    EXPECT_EQ(ReadPng(path, width, height), onePixel);
    std::filesystem::create_directory(folder.File("taken.png"));
    EXPECT_FALSE(SavePng(folder.File("taken.png").c_str(), onePixel, 1, 1));
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("taken.png")));
    const std::filesystem::directory_iterator entries(folder.Path());
    EXPECT_EQ(std::distance(entries, {}), 2) << "shot.png and taken.png, no partial files";
}

// A frame read back is made opaque: every alpha byte becomes 255, the colours stay.
TEST(ScreenshotTest, MakeOpaqueSetsEveryAlphaAndKeepsTheColours) {
    std::vector<uint8_t> rgba = {1, 2, 3, 0, 4, 5, 6, 128, 7, 8, 9, 254};
    MakeOpaque(rgba);
    EXPECT_EQ(rgba, (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255}));
}

}  // namespace
