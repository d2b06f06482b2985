#include "app/OutputFile.h"

#include <utility>

#include "platform/Files.h"

OutputFile::OutputFile(OutputFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), path_(std::move(other.path_)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    std::swap(file_, other.file_);
    std::swap(path_, other.path_);
    return *this;
}

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Open(const std::string& path) {
    Discard();
    file_ = std::fopen(PartialPath(path).c_str(), "w");
    path_ = path;
    return file_ != nullptr;
}

bool OutputFile::Finish() {
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

void OutputFile::Discard() {
    if (file_ == nullptr) {
        return;
    }
    std::fclose(file_);
    file_ = nullptr;
    RemovePartial(path_);
}
