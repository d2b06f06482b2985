#include "app/FrameTrace.h"

#include <utility>

#include "platform/Files.h"

FrameTrace::~FrameTrace() { Discard(); }

FrameTrace::FrameTrace(FrameTrace&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), path_(std::move(other.path_)) {}

FrameTrace& FrameTrace::operator=(FrameTrace&& other) noexcept {
    std::swap(file_, other.file_);
    std::swap(path_, other.path_);
    return *this;
}

bool FrameTrace::Open(const std::string& path) {
    Discard();
    file_ = std::fopen(PartialPath(path).c_str(), "w");
    if (file_ == nullptr) {
        return false;
    }
    path_ = path;
    std::fputs("frame,dt,update_ms,render_ms,x,y,z,vx,vy,vz,on_ground,flying,collision\n", file_);
    return true;
}

void FrameTrace::Write(const TraceRow& row) {
    if (file_ == nullptr) {
        return;
    }
    // Nine significant digits keep every float exactly.
    std::fprintf(file_, "%lld,%.9g,%.4f,%.4f,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%d,%d,%d\n",
                 static_cast<long long>(row.frame), static_cast<double>(row.dt), row.updateMs, row.renderMs,
                 static_cast<double>(row.position[0]), static_cast<double>(row.position[1]),
                 static_cast<double>(row.position[2]), static_cast<double>(row.velocity[0]),
                 static_cast<double>(row.velocity[1]), static_cast<double>(row.velocity[2]), row.onGround ? 1 : 0,
                 row.flying ? 1 : 0, row.collision ? 1 : 0);
}

bool FrameTrace::Finish() {
    if (file_ == nullptr) {
        return false;
    }
    const bool written = std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!written || !closed) {
        RemovePartial(path_);
        return false;
    }
    return ReplaceWithPartial(path_);
}

void FrameTrace::Discard() {
    if (file_ == nullptr) {
        return;
    }
    std::fclose(file_);
    file_ = nullptr;
    RemovePartial(path_);
}
