#include "graphics/DDSTextureLoader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "RecordingDevice.h"
#include "TestFiles.h"
#include "graphics/DdsFormat.h"

namespace {

constexpr uint32_t kFlagsCapsHeightWidthPixelFormat = 0x1 | 0x2 | 0x4 | 0x1000;
constexpr DdsPixelFormat kRgba32 = {32, kDdpfRgb, 0, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
constexpr DdsPixelFormat kLuminance8 = {32, kDdpfLuminance, 0, 8, 0xFF, 0, 0, 0};

DdsPixelFormat FourCc(uint32_t code) { return {32, kDdpfFourCc, code, 0, 0, 0, 0, 0}; }

// The description of a DDS file a test writes.
struct DdsSpec {
    uint32_t magic = kDdsMagic;
    uint32_t headerSize = kDdsHeaderSize;
    uint32_t flags = kFlagsCapsHeightWidthPixelFormat;
    uint32_t width = 4;
    uint32_t height = 4;
    uint32_t depth = 0;
    uint32_t mipCount = 1;
    DdsPixelFormat pixelFormat = kRgba32;
    uint32_t caps2 = 0;
    std::optional<DdsHeaderDx10> dx10;
    size_t pixelBytes = 64;
};

DdsSpec Dx10Spec(uint32_t dxgiFormat, uint32_t dimension, uint32_t arraySize, uint32_t miscFlag = 0) {
    DdsSpec spec;
    spec.pixelFormat = FourCc(MakeFourCc('D', 'X', '1', '0'));
    spec.dx10 = DdsHeaderDx10{dxgiFormat, dimension, miscFlag, arraySize, 0};
    return spec;
}

// The file image: headers, then pixel bytes counting 0, 1, 2, ... (mod 251).
std::vector<uint8_t> Build(const DdsSpec& spec) {
    DdsHeader header{};
    header.size = spec.headerSize;
    header.flags = spec.flags;
    header.height = spec.height;
    header.width = spec.width;
    header.depth = spec.depth;
    header.mipMapCount = spec.mipCount;
    header.pixelFormat = spec.pixelFormat;
    header.caps2 = spec.caps2;
    std::vector<uint8_t> bytes(4 + sizeof header);
    std::memcpy(bytes.data(), &spec.magic, 4);
    std::memcpy(bytes.data() + 4, &header, sizeof header);
    if (spec.dx10) {
        const size_t at = bytes.size();
        bytes.resize(at + sizeof(DdsHeaderDx10));
        std::memcpy(bytes.data() + at, &*spec.dx10, sizeof(DdsHeaderDx10));
    }
    for (size_t i = 0; i < spec.pixelBytes; ++i) {
        bytes.push_back(static_cast<uint8_t>(i % 251));
    }
    return bytes;
}

// Keeps what the loader asked the device to create.
class TextureRecorder : public RecordingDevice {
public:
    struct Level {
        uint32_t rowPitch;
        uint32_t slicePitch;
        uint8_t firstByte;
        ptrdiff_t offsetFromFirst;
    };
    bool CreateTexture(const TextureDesc& desc, const SubresourceData* subresources, TextureViewHandle& out) override {
        lastDesc = desc;
        levels.clear();
        const auto* first = static_cast<const uint8_t*>(subresources[0].data);
        for (uint32_t i = 0; i < desc.mipLevels * desc.arraySize; ++i) {
            const auto* data = static_cast<const uint8_t*>(subresources[i].data);
            levels.push_back({subresources[i].rowPitch, subresources[i].slicePitch, *data, data - first});
        }
        return RecordingDevice::CreateTexture(desc, subresources, out);
    }
    uint32_t FeatureLevel() const override { return featureLevel; }
    bool SupportsTextureFormat(Format format) const override { return format != unsupported; }

    TextureDesc lastDesc;
    std::vector<Level> levels;
    uint32_t featureLevel = 0xa000;
    Format unsupported = Format::Unknown;
};

class DdsLoaderTest : public ::testing::Test {
protected:
    HRESULT Load(const DdsSpec& spec) { return LoadBytes(Build(spec)); }
    HRESULT LoadBytes(const std::vector<uint8_t>& bytes) {
        const std::string path = folder_.Write("texture.dds", bytes);
        view_.id = 77;
        return LoadDdsTexture(&device_, path.c_str(), &view_);
    }

    TempFolder folder_;
    TextureRecorder device_;
    TextureViewHandle view_;
};

TEST_F(DdsLoaderTest, RejectsMissingArgumentsAndClearsTheView) {
    const std::string path = folder_.Write("texture.dds", Build(DdsSpec{}));
    view_.id = 5;
    EXPECT_EQ(LoadDdsTexture(nullptr, path.c_str(), &view_), kE_INVALIDARG);
    EXPECT_FALSE(view_);
    view_.id = 5;
    EXPECT_EQ(LoadDdsTexture(&device_, nullptr, &view_), kE_INVALIDARG);
    EXPECT_FALSE(view_);
    EXPECT_EQ(LoadDdsTexture(&device_, path.c_str(), nullptr), kE_INVALIDARG);
    EXPECT_EQ(static_cast<uint32_t>(LoadDdsTexture(&device_, folder_.File("none.dds").c_str(), &view_)),
              0x80070002u);  // file not found
    EXPECT_EQ(static_cast<uint32_t>(LoadDdsTexture(&device_, folder_.File("none/a.dds").c_str(), &view_)),
              0x80070003u);  // path not found
    EXPECT_EQ(static_cast<uint32_t>(LoadDdsTexture(&device_, folder_.File("").c_str(), &view_)),
              0x80070005u);  // a folder: access denied
    EXPECT_TRUE(device_.calls.empty());
}

TEST_F(DdsLoaderTest, BrokenHeadersFail) {
    std::vector<uint8_t> shortFile = Build(DdsSpec{});
    shortFile.resize(127);
    EXPECT_EQ(LoadBytes(shortFile), kE_FAIL);

    DdsSpec badMagic;
    badMagic.magic = MakeFourCc('D', 'D', 'S', 'X');
    EXPECT_EQ(Load(badMagic), kE_FAIL);

    DdsSpec badHeaderSize;
    badHeaderSize.headerSize = 128;
    EXPECT_EQ(Load(badHeaderSize), kE_FAIL);

    DdsSpec badPixelFormatSize;
    badPixelFormatSize.pixelFormat.size = 24;
    EXPECT_EQ(Load(badPixelFormatSize), kE_FAIL);

    DdsSpec truncatedExtension = Dx10Spec(28, kDimensionTexture2D, 1);
    truncatedExtension.pixelBytes = 0;
    std::vector<uint8_t> bytes = Build(truncatedExtension);
    bytes.resize(147);
    EXPECT_EQ(LoadBytes(bytes), kE_FAIL);
    EXPECT_FALSE(view_);
    EXPECT_EQ(device_.Count("CreateTexture"), 0u);
}

TEST_F(DdsLoaderTest, HeaderOnlyFileIsReadButLacksItsPixels) {
    DdsSpec spec;
    spec.pixelBytes = 0;
    EXPECT_EQ(Load(spec), kHResultHandleEof);
    EXPECT_EQ(static_cast<uint32_t>(kHResultHandleEof), 0x80070026u);
}

TEST_F(DdsLoaderTest, LegacyRgbaTextureBecomesOneLevelTwoDimensionalTexture) {
    EXPECT_EQ(Load(DdsSpec{}), kS_OK);
    EXPECT_TRUE(view_);
    EXPECT_EQ(device_.calls, std::vector<std::string>{"CreateTexture 1 4 4 1 1 1 28 0"});
    ASSERT_EQ(device_.levels.size(), 1u);
    EXPECT_EQ(device_.levels[0].rowPitch, 16u);
    EXPECT_EQ(device_.levels[0].slicePitch, 64u);
    EXPECT_EQ(device_.levels[0].firstByte, 0) << "pixel data begins right after the header";
}

TEST_F(DdsLoaderTest, MipCountZeroMeansOneLevel) {
    DdsSpec spec;
    spec.mipCount = 0;
    EXPECT_EQ(Load(spec), kS_OK);
    EXPECT_EQ(device_.lastDesc.mipLevels, 1u);
}

TEST_F(DdsLoaderTest, MipChainHalvesToOneAndMustBeComplete) {
    DdsSpec spec;
    spec.width = 8;
    spec.height = 2;
    spec.mipCount = 4;
    spec.pixelFormat = kLuminance8;
    spec.pixelBytes = 8 * 2 + 4 * 1 + 2 * 1 + 1 * 1;
    ASSERT_EQ(Load(spec), kS_OK);
    ASSERT_EQ(device_.levels.size(), 4u);
    const uint32_t expectedRows[4] = {8, 4, 2, 1};
    const ptrdiff_t expectedOffsets[4] = {0, 16, 20, 22};
    for (size_t level = 0; level < 4; ++level) {
        EXPECT_EQ(device_.levels[level].rowPitch, expectedRows[level]) << level;
        EXPECT_EQ(device_.levels[level].offsetFromFirst, expectedOffsets[level]) << level;
    }

    spec.pixelBytes -= 1;
    EXPECT_EQ(Load(spec), kHResultHandleEof);
}

TEST_F(DdsLoaderTest, LegacyFormatsWithoutAMatchAreNotSupported) {
    DdsSpec rgb24;
    rgb24.pixelFormat = {32, kDdpfRgb, 0, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0};
    EXPECT_EQ(Load(rgb24), kHResultNotSupported);

    DdsSpec unknownFourCc;
    unknownFourCc.pixelFormat = FourCc(MakeFourCc('Y', 'U', 'Y', '2'));
    EXPECT_EQ(Load(unknownFourCc), kHResultNotSupported);
    EXPECT_EQ(static_cast<uint32_t>(kHResultNotSupported), 0x80070032u);
}

TEST(DdsLegacyFormatTest, TellsFormatsApartByMasksAndCodes) {
    const struct {
        DdsPixelFormat pixelFormat;
        Format expected;
    } cases[] = {
        {kRgba32, Format::R8G8B8A8_UNorm},
        {{32, kDdpfRgb, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, Format::B8G8R8A8_UNorm},
        {{32, kDdpfRgb, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0}, Format::B8G8R8X8_UNorm},
        {{32, kDdpfRgb, 0, 32, 0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}, Format::R10G10B10A2_UNorm},
        {{32, kDdpfRgb, 0, 16, 0xF800, 0x07E0, 0x001F, 0}, Format::B5G6R5_UNorm},
        {{32, kDdpfRgb, 0, 16, 0x0F00, 0x00F0, 0x000F, 0xF000}, Format::Unknown},
        {{32, kDdpfLuminance, 0, 16, 0xFF, 0, 0, 0xFF00}, Format::R8G8_UNorm},
        {{32, kDdpfAlpha, 0, 8, 0, 0, 0, 0xFF}, Format::A8_UNorm},
        {FourCc(MakeFourCc('D', 'X', 'T', '2')), Format::BC2_UNorm},
        {FourCc(MakeFourCc('A', 'T', 'I', '2')), Format::BC5_UNorm},
        {FourCc(MakeFourCc('B', 'C', '4', 'S')), Format::BC4_SNorm},
        {FourCc(113), Format::R16G16B16A16_Float},
        {FourCc(114), Format::R32_Float},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LegacyFormat(c.pixelFormat), c.expected)
            << "flags " << c.pixelFormat.flags << " fourCC " << c.pixelFormat.fourCc << " bits "
            << c.pixelFormat.rgbBitCount;
    }
}

TEST_F(DdsLoaderTest, CubeMapNeedsAllSixFaces) {
    DdsSpec cube;
    cube.caps2 = kDdsCaps2Cubemap | kDdsCaps2AllFaces;
    cube.pixelBytes = 6 * 64;
    ASSERT_EQ(Load(cube), kS_OK);
    EXPECT_EQ(device_.calls.back(), "CreateTexture 1 4 4 1 1 6 28 1");
    ASSERT_EQ(device_.levels.size(), 6u);
    EXPECT_EQ(device_.levels[5].offsetFromFirst, 5 * 64);

    cube.caps2 = kDdsCaps2Cubemap | (kDdsCaps2AllFaces & ~0x2000u);  // no -Y face
    EXPECT_EQ(Load(cube), kHResultNotSupported);
}

TEST_F(DdsLoaderTest, LegacyDepthFlagMakesAVolume) {
    DdsSpec volume;
    volume.flags |= kDdsdDepth;
    volume.width = 2;
    volume.height = 2;
    volume.depth = 3;
    volume.mipCount = 2;
    volume.pixelBytes = 2 * 2 * 4 * 3 + 4 * 1;
    ASSERT_EQ(Load(volume), kS_OK);
    EXPECT_EQ(device_.calls.back(), "CreateTexture 2 2 2 3 2 1 28 0");
    EXPECT_EQ(device_.levels[1].offsetFromFirst, 48) << "a level spans all its depth slices";
}

TEST_F(DdsLoaderTest, Dx10ExtensionChecks) {
    EXPECT_EQ(Load(Dx10Spec(28, kDimensionTexture2D, 0)), kHResultInvalidData);
    EXPECT_EQ(static_cast<uint32_t>(kHResultInvalidData), 0x8007000Du);
    EXPECT_EQ(Load(Dx10Spec(0, kDimensionTexture2D, 1)), kHResultNotSupported);
    EXPECT_EQ(Load(Dx10Spec(100, kDimensionTexture2D, 1)), kHResultNotSupported);
    EXPECT_EQ(Load(Dx10Spec(28, 1, 1)), kHResultNotSupported) << "buffers are not textures";
    EXPECT_EQ(Load(Dx10Spec(28, 5, 1)), kHResultNotSupported);
    EXPECT_EQ(Load(Dx10Spec(28, kDimensionTexture3D, 1)), kHResultInvalidData) << "no depth flag";

    DdsSpec volumeArray = Dx10Spec(28, kDimensionTexture3D, 2);
    volumeArray.flags |= kDdsdDepth;
    volumeArray.depth = 1;
    EXPECT_EQ(Load(volumeArray), kHResultNotSupported);

    DdsSpec tallLine = Dx10Spec(28, kDimensionTexture1D, 1);
    EXPECT_EQ(Load(tallLine), kHResultInvalidData) << "height flag with height 4";
    EXPECT_EQ(device_.Count("CreateTexture"), 0u);
}

TEST_F(DdsLoaderTest, Dx10OneDimensionalAndArrayShapes) {
    DdsSpec line = Dx10Spec(61, kDimensionTexture1D, 1);
    line.flags &= ~kDdsdHeight;
    line.width = 16;
    line.pixelBytes = 16;
    ASSERT_EQ(Load(line), kS_OK);
    EXPECT_EQ(device_.calls.back(), "CreateTexture 0 16 1 1 1 1 61 0");

    DdsSpec cubes = Dx10Spec(28, kDimensionTexture2D, 2, kMiscTextureCube);
    cubes.pixelBytes = 12 * 64;
    ASSERT_EQ(Load(cubes), kS_OK);
    EXPECT_EQ(device_.calls.back(), "CreateTexture 1 4 4 1 1 12 28 1");

    // Items first, levels within them: item 1 starts after item 0's whole chain.
    DdsSpec layers = Dx10Spec(28, kDimensionTexture2D, 2);
    layers.mipCount = 2;
    layers.pixelBytes = 2 * (64 + 16);
    ASSERT_EQ(Load(layers), kS_OK);
    ASSERT_EQ(device_.levels.size(), 4u);
    EXPECT_EQ(device_.levels[1].offsetFromFirst, 64);
    EXPECT_EQ(device_.levels[2].offsetFromFirst, 80);
    EXPECT_EQ(device_.levels[3].offsetFromFirst, 144);
}

TEST_F(DdsLoaderTest, SizeLimits) {
    DdsSpec manyLevels;
    manyLevels.mipCount = 16;
    EXPECT_EQ(Load(manyLevels), kHResultNotSupported);

    DdsSpec wide;
    wide.width = 16385;
    wide.height = 1;
    EXPECT_EQ(Load(wide), kHResultNotSupported);

    DdsSpec deepVolume;
    deepVolume.flags |= kDdsdDepth;
    deepVolume.width = 1;
    deepVolume.height = 1;
    deepVolume.depth = 2049;
    EXPECT_EQ(Load(deepVolume), kHResultNotSupported);

    DdsSpec largeArray = Dx10Spec(61, kDimensionTexture2D, 2049);
    EXPECT_EQ(Load(largeArray), kHResultNotSupported);
    EXPECT_EQ(device_.Count("CreateTexture"), 0u);
}

TEST(DdsSurfaceSizeTest, BlockCompressedPackedAndPlainFormats) {
    const struct {
        uint32_t width, height, format;
        uint64_t rowBytes, rows;
    } cases[] = {
        {5, 5, 71, 16, 2},   // BC1: 2 x 2 blocks of 8 bytes
        {1, 1, 71, 8, 1},    // a level smaller than a block still takes one
        {5, 5, 77, 32, 2},   // BC3: 16-byte blocks
        {8, 4, 80, 16, 1},   // BC4: 8-byte blocks
        {8, 4, 83, 32, 1},   // BC5: 16-byte blocks
        {4, 4, 98, 16, 1},   // BC7
        {3, 2, 68, 8, 2},    // R8G8_B8G8 pairs
        {3, 2, 28, 12, 2},   // 32 bits
        {9, 1, 66, 2, 1},    // 1 bit rounds up to bytes
        {0, 0, 71, 8, 1},
    };
    for (const auto& c : cases) {
        const SurfaceSize size = GetSurfaceSize(c.width, c.height, c.format);
        EXPECT_EQ(size.rowBytes, c.rowBytes) << "format " << c.format << " " << c.width << "x" << c.height;
        EXPECT_EQ(size.rows, c.rows) << "format " << c.format;
        EXPECT_EQ(size.levelBytes, c.rowBytes * c.rows);
    }
    EXPECT_EQ(BitsPerPixel(0), 0u);
    EXPECT_EQ(BitsPerPixel(2), 128u);
    EXPECT_EQ(BitsPerPixel(71), 4u);
    EXPECT_EQ(BitsPerPixel(99), 8u);
    EXPECT_EQ(BitsPerPixel(100), 0u);
}

TEST_F(DdsLoaderTest, BlockCompressedFileNeedsWholeBlocks) {
    DdsSpec dxt1;
    dxt1.pixelFormat = FourCc(MakeFourCc('D', 'X', 'T', '1'));
    dxt1.width = 6;
    dxt1.height = 6;
    dxt1.mipCount = 2;
    dxt1.pixelBytes = 4 * 8 + 8;  // 2 x 2 blocks, then a 3 x 3 level in one block
    ASSERT_EQ(Load(dxt1), kS_OK);
    EXPECT_EQ(device_.levels[0].slicePitch, 32u);
    EXPECT_EQ(device_.levels[1].slicePitch, 8u);
    dxt1.pixelBytes -= 1;
    EXPECT_EQ(Load(dxt1), kHResultHandleEof);
}

TEST_F(DdsLoaderTest, FormatTheDeviceCannotTakeIsNotSupported) {
    device_.unsupported = Format::R8G8B8A8_UNorm;
    EXPECT_EQ(Load(DdsSpec{}), kHResultNotSupported);
    EXPECT_EQ(device_.Count("CreateTexture"), 0u);
}

TEST_F(DdsLoaderTest, FailedCreationRetriesWithTheFeatureLevelCap) {
    DdsSpec wide;
    wide.width = 16384;
    wide.height = 1;
    wide.mipCount = 2;
    wide.pixelFormat = kLuminance8;
    wide.pixelBytes = 16384 + 8192;
    device_.failingNth["CreateTexture"] = 1;
    ASSERT_EQ(Load(wide), kS_OK);
    const std::vector<std::string> expected = {"CreateTexture 1 16384 1 1 2 1 61 0", "CreateTexture 1 8192 1 1 1 1 61 0"};
    EXPECT_EQ(device_.calls, expected);
    EXPECT_EQ(device_.levels[0].firstByte, 16384 % 251) << "the retry starts at the second level's bytes";
}

TEST_F(DdsLoaderTest, RetryCapDependsOnFeatureLevelAndShape) {
    DdsSpec texture;
    texture.width = 4096;
    texture.height = 1;
    texture.mipCount = 3;
    texture.pixelFormat = kLuminance8;
    texture.pixelBytes = 4096 + 2048 + 1024;
    device_.featureLevel = 0x9100;
    device_.failingNth["CreateTexture"] = 1;
    ASSERT_EQ(Load(texture), kS_OK);
    EXPECT_EQ(device_.lastDesc.width, 2048u) << "9_1 caps plain textures at 2048";
    EXPECT_EQ(device_.lastDesc.mipLevels, 2u);

    device_.calls.clear();
    device_.featureLevel = 0x9300;
    device_.failingNth["CreateTexture"] = 3;  // counts go on from the first load
    ASSERT_EQ(Load(texture), kS_OK);
    EXPECT_EQ(device_.lastDesc.width, 4096u) << "9_3 takes 4096";
}

TEST_F(DdsLoaderTest, FailedCreationWithOneLevelIsNotRetried) {
    device_.failing = {"CreateTexture"};
    EXPECT_EQ(Load(DdsSpec{}), kE_FAIL);
    EXPECT_EQ(device_.Count("CreateTexture"), 1u);
    EXPECT_FALSE(view_);
}

}  // namespace
