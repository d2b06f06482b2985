#include "RecordingDevice.h"

#include <cstring>

std::vector<std::string> RecordingDevice::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> matching;
    for (const std::string& call : calls) {
        if (call.compare(0, prefix.size(), prefix) == 0) matching.push_back(call);
    }
    return matching;
}

bool RecordingDevice::Record(const std::string& name, std::initializer_list<uint32_t> numbers) {
    std::string call = name;
    for (const uint32_t number : numbers) call.append(" ").append(std::to_string(number));
    calls.push_back(call);
    const int nth = ++callCounts_[name];
    const auto failNth = failingNth.find(name);
    return failing.count(name) != 0 || (failNth != failingNth.end() && failNth->second == nth);
}

void RecordingDevice::Release(const std::string& kind, uint32_t& id) {
    Record("Release" + kind, {id});
    live_.erase(id);
    buffers_.erase(id);
    id = 0;
}

bool RecordingDevice::CreateBuffer(const BufferDesc& desc, const void* initialData, BufferHandle& out) {
    if (!Create("CreateBuffer", out)) return false;
    Buffer& buffer = buffers_[out.id];
    buffer.desc = desc;
    buffer.bytes.assign(desc.byteWidth, 0);
    if (initialData != nullptr) std::memcpy(buffer.bytes.data(), initialData, desc.byteWidth);
    return true;
}

void* RecordingDevice::MapDiscard(BufferHandle buffer) {
    if (Record("MapDiscard", {buffer.id})) return nullptr;
    const auto found = buffers_.find(buffer.id);
    return found == buffers_.end() ? nullptr : found->second.bytes.data();
}
