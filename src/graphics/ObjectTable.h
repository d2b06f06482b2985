#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// Objects of one kind that device backends hand out by handle id (index + 1).
// Ids are not reused, so a stale handle never finds a newer object.
template <typename T>
class ObjectTable {
public:
    uint32_t Add(T object) {
        slots_.push_back(std::move(object));
        return static_cast<uint32_t>(slots_.size());
    }
    T* Find(uint32_t id) {
        return id != 0 && id <= slots_.size() && slots_[id - 1].has_value() ? &*slots_[id - 1] : nullptr;
    }
    void Remove(uint32_t id) {
        if (Find(id) != nullptr) {
            slots_[id - 1].reset();
        }
    }
    void Clear() { slots_.clear(); }

private:
    std::vector<std::optional<T>> slots_;
};

// Lets go of the object a handle names and empties the handle.
template <typename T, typename Handle>
void ReleaseFrom(ObjectTable<T>& table, Handle& handle) {
    table.Remove(handle.id);
    handle = Handle{};
}
