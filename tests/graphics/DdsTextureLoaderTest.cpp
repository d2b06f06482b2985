#include "graphics/DDSTextureLoader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "RecordingDevice.h"
#include "TestFiles.h"
#include "graphics/DdsFormat.h"

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"  // designated DdsLayout initializers

namespace {

constexpr DdsPixelFormat kRgba32 = {32, kDdpfRgb, 0, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
constexpr DdsPixelFormat kLuminance8 = {32, kDdpfLuminance, 0, 8, 0xFF, 0, 0, 0};
constexpr uint32_t kFlags = 0x1 | 0x2 | 0x4 | 0x1000;  // caps, height, width, pixel format
constexpr uint32_t kEof = 0x80070026u, kNotSupported = 0x80070032u, kInvalidData = 0x8007000Du,
                   kFail = 0x80004005u;

DdsPixelFormat FourCc(uint32_t code) { return {32, kDdpfFourCc, code, 0, 0, 0, 0, 0}; }

// The description of a DDS file a test writes.
struct DdsLayout {
    uint32_t magic = kDdsMagic;
    uint32_t headerSize = kDdsHeaderSize;
    uint32_t flags = kFlags;
    uint32_t width = 4, height = 4, depth = 0, mipCount = 1;
    DdsPixelFormat pixelFormat = kRgba32;
    uint32_t caps2 = 0;
    std::optional<DdsHeaderDx10> dx10;
    size_t pixelBytes = 64;
};

// n faces of a 4 x 4 RGBA texture, one after the other.
std::vector<std::string> Faces(int n) {
    std::vector<std::string> levels;
    for (int i = 0; i < n; ++i) levels.push_back("16/64@" + std::to_string(64 * i));
    return levels;
}

DdsLayout Dx10(DdsLayout layout, uint32_t dxgiFormat, uint32_t dimension, uint32_t arraySize, uint32_t miscFlag = 0) {
    layout.pixelFormat = FourCc(MakeFourCc('D', 'X', '1', '0'));
    layout.dx10 = DdsHeaderDx10{dxgiFormat, dimension, miscFlag, arraySize, 0};
    return layout;
}

// The file image: headers, then pixel bytes counting 0, 1, 2, ... (mod 251).
std::vector<uint8_t> Build(const DdsLayout& layout) {
    DdsHeader header{};
    header.size = layout.headerSize;
    header.flags = layout.flags;
    header.height = layout.height;
    header.width = layout.width;
    header.depth = layout.depth;
    header.mipMapCount = layout.mipCount;
    header.pixelFormat = layout.pixelFormat;
    header.caps2 = layout.caps2;
    std::vector<uint8_t> bytes(4 + sizeof header);
    std::memcpy(bytes.data(), &layout.magic, 4);
    std::memcpy(bytes.data() + 4, &header, sizeof header);
    if (layout.dx10) {
        bytes.resize(bytes.size() + sizeof(DdsHeaderDx10));
        std::memcpy(bytes.data() + 4 + sizeof header, &*layout.dx10, sizeof(DdsHeaderDx10));
    }
    for (size_t i = 0; i < layout.pixelBytes; ++i) bytes.push_back(static_cast<uint8_t>(i % 251));
    return bytes;
}

// Keeps each subresource the loader handed over as "rowPitch/slicePitch@offset from the first".
class TextureRecorder : public RecordingDevice {
public:
    bool CreateTexture(const TextureDesc& desc, const SubresourceData* subresources, TextureViewHandle& out) override {
        lastDesc = desc;
        levels.clear();
        const auto* first = static_cast<const uint8_t*>(subresources[0].data);
        firstByte = *first;
        for (uint32_t i = 0; i < desc.mipLevels * desc.arraySize; ++i) {
            const auto* data = static_cast<const uint8_t*>(subresources[i].data);
            levels.push_back(std::to_string(subresources[i].rowPitch) + "/" + std::to_string(subresources[i].slicePitch) +
                             "@" + std::to_string(data - first));
        }
        return RecordingDevice::CreateTexture(desc, subresources, out);
    }
    uint32_t FeatureLevel() const override { return featureLevel; }
    bool SupportsTextureFormat(Format format) const override { return format != unsupported; }

    TextureDesc lastDesc;
    std::vector<std::string> levels;
    uint8_t firstByte = 0;
    uint32_t featureLevel = 0xa000;
    Format unsupported = Format::Unknown;
};

class DdsLoaderTest : public ::testing::Test {
protected:
    uint32_t Load(const DdsLayout& layout, size_t fileSize = 0) {
        std::vector<uint8_t> bytes = Build(layout);
        if (fileSize != 0) bytes.resize(fileSize);
        const std::string path = folder_.Write("texture.dds", bytes);
        view_.id = 77;
        return static_cast<uint32_t>(LoadDdsTexture(&device_, NativeName(path).c_str(), &view_));
    }

    TempFolder folder_;
    TextureRecorder device_;
    TextureViewHandle view_;
};

TEST_F(DdsLoaderTest, RejectsMissingArgumentsAndUnreadablePathsAndClearsTheView) {
    const std::string path = folder_.Write("texture.dds", Build(DdsLayout{}));
    const struct {
        RenderDevice* device;
        std::string file;
        TextureViewHandle* view;
        uint32_t expected;
    } cases[] = {{nullptr, path, &view_, 0x80070057u},  // invalid argument
                 {&device_, "", &view_, 0x80070057u},
                 {&device_, path, nullptr, 0x80070057u},
                 {&device_, folder_.File("none.dds"), &view_, 0x80070002u},   // file not found
                 {&device_, folder_.File("none/a.dds"), &view_, 0x80070003u}, // path not found
                 {&device_, folder_.File(""), &view_, 0x80070005u}};          // a folder: access denied
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        view_.id = 5;
        const NativeString file = NativeName(c.file);
        EXPECT_EQ(static_cast<uint32_t>(LoadDdsTexture(c.device, c.file.empty() ? nullptr : file.c_str(), c.view)),
                  c.expected);
        EXPECT_EQ(view_.id != 0, c.view == nullptr);
    }
    EXPECT_TRUE(device_.calls.empty());
}

TEST_F(DdsLoaderTest, BrokenUnsupportedOrShortFilesFailBeforeCreation) {
    const DdsPixelFormat rgb24 = {32, kDdpfRgb, 0, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0};
    const DdsLayout dxt1 = {.width = 6, .height = 6, .mipCount = 2, .pixelFormat = FourCc(MakeFourCc('D', 'X', 'T', '1')),
                          .pixelBytes = 4 * 8 + 8 - 1};
    const struct {
        const char* what;
        DdsLayout layout;
        size_t fileSize;
        uint32_t expected;
    } cases[] = {
        {"127-byte file", {}, 127, kFail},
        {"magic", {.magic = MakeFourCc('D', 'D', 'S', 'X')}, 0, kFail},
        {"header size", {.headerSize = 128}, 0, kFail},
        {"pixel format size", {.pixelFormat = {24, kDdpfRgb, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000}}, 0, kFail},
        {"cut DX10 header", Dx10({.pixelBytes = 0}, 28, kDimensionTexture2D, 1), 147, kFail},
        {"128-byte file: no pixels", {.pixelBytes = 0}, 0, kEof},
        {"mip chain a byte short", {.width = 8, .height = 2, .mipCount = 4, .pixelFormat = kLuminance8, .pixelBytes = 22},
         0, kEof},
        {"BC1 chain a byte short", dxt1, 0, kEof},
        {"24-bit RGB", {.pixelFormat = rgb24}, 0, kNotSupported},
        {"unknown FourCC", {.pixelFormat = FourCc(MakeFourCc('Y', 'U', 'Y', '2'))}, 0, kNotSupported},
        {"cube lacking -Y", {.caps2 = kDdsCaps2Cubemap | (kDdsCaps2AllFaces & ~0x2000u), .pixelBytes = 6 * 64}, 0,
         kNotSupported},
        {"DX10 array size 0", Dx10({}, 28, kDimensionTexture2D, 0), 0, kInvalidData},
        {"DX10 format 0", Dx10({}, 0, kDimensionTexture2D, 1), 0, kNotSupported},
        {"DX10 format 100", Dx10({}, 100, kDimensionTexture2D, 1), 0, kNotSupported},
        {"DX10 buffer", Dx10({}, 28, 1, 1), 0, kNotSupported},
        {"DX10 dimension 5", Dx10({}, 28, 5, 1), 0, kNotSupported},
        {"DX10 volume without depth flag", Dx10({}, 28, kDimensionTexture3D, 1), 0, kInvalidData},
        {"DX10 volume array", Dx10({.flags = kFlags | kDdsdDepth, .depth = 1}, 28, kDimensionTexture3D, 2), 0,
         kNotSupported},
        {"DX10 line of height 4", Dx10({}, 28, kDimensionTexture1D, 1), 0, kInvalidData},
        {"16 levels", {.mipCount = 16}, 0, kNotSupported},
        {"width 16385", {.width = 16385, .height = 1}, 0, kNotSupported},
        {"depth 2049", {.flags = kFlags | kDdsdDepth, .width = 1, .height = 1, .depth = 2049}, 0, kNotSupported},
        {"2049 array items", Dx10({}, 61, kDimensionTexture2D, 2049), 0, kNotSupported},
        {"cube faces beyond 2^32", Dx10({}, 28, kDimensionTexture2D, 0x2AAAAAABu, kMiscTextureCube), 0, kNotSupported},
        // A dimension of 0 would take no bytes in the table but one pixel in an upload.
        {"width 0", {.width = 0}, 0, kInvalidData},
        {"height 0", {.height = 0}, 0, kInvalidData},
        {"volume of depth 0", {.flags = kFlags | kDdsdDepth, .depth = 0}, 0, kInvalidData},
        {"DX10 array of 2, width 0", Dx10({.width = 0, .height = 14}, 28, kDimensionTexture2D, 2), 0, kInvalidData},
        {"DX10 volume of depth 0", Dx10({.flags = kFlags | kDdsdDepth}, 28, kDimensionTexture3D, 1), 0, kInvalidData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Load(c.layout, c.fileSize), c.expected);
        EXPECT_FALSE(view_);
    }
    device_.unsupported = Format::R8G8B8A8_UNorm;
    EXPECT_EQ(Load(DdsLayout{.pixelBytes = 0}), kEof) << "the table is filled before the device is asked";
    EXPECT_EQ(Load(DdsLayout{}), kNotSupported) << "a format the device cannot take";
    EXPECT_EQ(device_.Count("CreateTexture"), 0u);
}

TEST_F(DdsLoaderTest, ShapesAndSubresourceLayouts) {
    const struct {
        const char* what;
        DdsLayout layout;
        const char* call;
        std::vector<std::string> levels;
    } cases[] = {
        {"legacy RGBA", {}, "CreateTexture 1 4 4 1 1 1 28 0", {"16/64@0"}},
        {"mip count 0 means one level", {.mipCount = 0}, "CreateTexture 1 4 4 1 1 1 28 0", {"16/64@0"}},
        {"mip chain halves to 1",
         {.width = 8, .height = 2, .mipCount = 4, .pixelFormat = kLuminance8, .pixelBytes = 8 * 2 + 4 + 2 + 1},
         "CreateTexture 1 8 2 1 4 1 61 0",
         {"8/16@0", "4/4@16", "2/2@20", "1/1@22"}},
        {"cube map",
         {.caps2 = kDdsCaps2Cubemap | kDdsCaps2AllFaces, .pixelBytes = 6 * 64},
         "CreateTexture 1 4 4 1 1 6 28 1",
         Faces(6)},
        {"legacy volume: a level spans all its slices",
         {.flags = kFlags | kDdsdDepth, .width = 2, .height = 2, .depth = 3, .mipCount = 2, .pixelBytes = 2 * 2 * 4 * 3 + 4},
         "CreateTexture 2 2 2 3 2 1 28 0",
         {"8/16@0", "4/4@48"}},
        {"BC1 in whole blocks",
         {.width = 6, .height = 6, .mipCount = 2, .pixelFormat = FourCc(MakeFourCc('D', 'X', 'T', '1')), .pixelBytes = 40},
         "CreateTexture 1 6 6 1 2 1 71 0",
         {"16/32@0", "8/8@32"}},
        {"DX10 line", Dx10({.flags = kFlags & ~kDdsdHeight, .width = 16, .pixelBytes = 16}, 61, kDimensionTexture1D, 1),
         "CreateTexture 0 16 1 1 1 1 61 0", {"16/16@0"}},
        {"DX10 cube array", Dx10({.pixelBytes = 12 * 64}, 28, kDimensionTexture2D, 2, kMiscTextureCube),
         "CreateTexture 1 4 4 1 1 12 28 1", Faces(12)},
        {"DX10 array: items first, levels within them",
         Dx10({.mipCount = 2, .pixelBytes = 2 * (64 + 16)}, 28, kDimensionTexture2D, 2),
         "CreateTexture 1 4 4 1 2 2 28 0",
         {"16/64@0", "8/16@64", "16/64@80", "8/16@144"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        device_.calls.clear();
        ASSERT_EQ(Load(c.layout), 0u);
        EXPECT_TRUE(view_);
        EXPECT_EQ(device_.calls, std::vector<std::string>{c.call});
        EXPECT_EQ(device_.firstByte, 0) << "pixel data begins right after the headers";
        EXPECT_EQ(device_.levels, c.levels);
    }
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

TEST(DdsSurfaceSizeTest, BlockCompressedPackedAndPlainFormats) {
    const struct {
        uint32_t width, height, format;
        uint64_t rowBytes, rows;
    } cases[] = {
        {5, 5, 71, 16, 2},  // BC1: 2 x 2 blocks of 8 bytes
        {1, 1, 71, 8, 1},   // a level smaller than a block still takes one
        {0, 0, 71, 8, 1},   //
        {5, 5, 77, 32, 2},  // BC3: 16-byte blocks
        {8, 4, 80, 16, 1},  // BC4: 8-byte blocks
        {8, 4, 83, 32, 1},  // BC5: 16-byte blocks
        {4, 4, 98, 16, 1},  // BC7
        {3, 2, 68, 8, 2},   // R8G8_B8G8 pairs
        {3, 2, 28, 12, 2},  // 32 bits
        {9, 1, 66, 2, 1},   // 1 bit rounds up to bytes
    };
    for (const auto& c : cases) {
        const SurfaceSize size = GetSurfaceSize(c.width, c.height, c.format);
        SCOPED_TRACE("format " + std::to_string(c.format) + " " + std::to_string(c.width) + "x" + std::to_string(c.height));
        EXPECT_EQ(size.rowBytes, c.rowBytes);
        EXPECT_EQ(size.rows, c.rows);
        EXPECT_EQ(size.levelBytes, c.rowBytes * c.rows);
    }
    for (auto [format, bits] : {std::pair{0u, 0u}, {2u, 128u}, {71u, 4u}, {99u, 8u}, {100u, 0u}}) {
        EXPECT_EQ(BitsPerPixel(format), bits) << format;
    }
}

TEST_F(DdsLoaderTest, FailedCreationRetriesCappedByFeatureLevelUnlessThereIsOneLevel) {
    const DdsLayout wide = {.width = 16384, .height = 1, .mipCount = 2, .pixelFormat = kLuminance8, .pixelBytes = 16384 + 8192};
    device_.failingNth["CreateTexture"] = 1;
    ASSERT_EQ(Load(wide), 0u);
    EXPECT_EQ(device_.calls,
              (std::vector<std::string>{"CreateTexture 1 16384 1 1 2 1 61 0", "CreateTexture 1 8192 1 1 1 1 61 0"}));
    EXPECT_EQ(device_.firstByte, 16384 % 251) << "the retry starts at the second level's bytes";

    const DdsLayout texture = {.width = 4096, .height = 1, .mipCount = 3, .pixelFormat = kLuminance8,
                             .pixelBytes = 4096 + 2048 + 1024};
    device_.featureLevel = 0x9100;
    device_.failingNth["CreateTexture"] = 3;  // counts go on from the first load
    ASSERT_EQ(Load(texture), 0u);
    EXPECT_EQ(device_.lastDesc.width, 2048u) << "9_1 caps plain textures at 2048";
    EXPECT_EQ(device_.lastDesc.mipLevels, 2u);
    device_.featureLevel = 0x9300;
    device_.failingNth["CreateTexture"] = 5;
    ASSERT_EQ(Load(texture), 0u);
    EXPECT_EQ(device_.lastDesc.width, 4096u) << "9_3 takes 4096";

    device_.calls.clear();
    device_.failing = {"CreateTexture"};
    EXPECT_EQ(Load(DdsLayout{}), kFail);
    EXPECT_EQ(device_.Count("CreateTexture"), 1u) << "one level: no retry";
    EXPECT_FALSE(view_);
}

}  // namespace
