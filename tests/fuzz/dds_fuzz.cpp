// The DDS loader on any file image. The device reads every byte an upload of
// the described texture reads, so a subresource table that promises more than
// the file holds shows as a read past the image; its pitches must match the
// texture's own level sizes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "RecordingDevice.h"
#include "graphics/DDSTextureLoader.h"
#include "graphics/DdsFormat.h"

namespace {

volatile uint32_t g_sink;

class UploadingDevice : public RecordingDevice {
public:
    bool failFirstCreation = false;

    bool SupportsTextureFormat(Format) const override { return true; }

    bool CreateTexture(const TextureDesc& desc, const SubresourceData* subresources, TextureViewHandle& out) override {
        if (desc.width == 0 || desc.height == 0 || desc.depth == 0 || desc.mipLevels == 0) {
            std::abort();  // a texture without pixels never reaches a device
        }
        for (uint32_t item = 0; item < desc.arraySize; ++item) {
            for (uint32_t level = 0; level < desc.mipLevels; ++level) {
                Upload(desc, level, subresources[item * desc.mipLevels + level]);
            }
        }
        if (failFirstCreation) {
            failFirstCreation = false;
            return false;  // makes the loader retry with the size cap
        }
        return RecordingDevice::CreateTexture(desc, subresources, out);
    }

    uint32_t checksum = 0;

private:
    static uint32_t LevelSize(uint32_t size, uint32_t level) { return size >> level > 0 ? size >> level : 1; }

    void Upload(const TextureDesc& desc, uint32_t level, const SubresourceData& source) {
        const uint32_t width = LevelSize(desc.width, level);
        const uint32_t height = LevelSize(desc.height, level);
        const uint32_t depth = LevelSize(desc.depth, level);
        const SurfaceSize size = GetSurfaceSize(width, height, static_cast<uint32_t>(desc.format));
        if (source.rowPitch != size.rowBytes || source.slicePitch != size.levelBytes) {
            std::abort();
        }
        const auto* bytes = static_cast<const uint8_t*>(source.data);
        const uint64_t total = size.levelBytes * depth;
        for (uint64_t i = 0; i < total; ++i) {
            checksum += bytes[i];
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UploadingDevice device;
    device.failFirstCreation = size > 0 && (data[size - 1] & 1) != 0;
    TextureViewHandle view;
    if (LoadDdsTextureFromMemory(&device, data, size, &view) >= 0) {
        device.Release(view);
    }
    g_sink = device.checksum;
    return 0;
}
