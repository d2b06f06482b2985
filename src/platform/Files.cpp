#include "platform/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool IsFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

// The folder a path lies in, when it is named and missing.
bool FolderIsMissing(const fs::path& path, std::string& reason) {
    const fs::path folder = path.parent_path();
    if (folder.empty() || IsFolder(folder)) {
        return false;
    }
    reason = "the folder " + folder.string() + " does not exist";
    return true;
}

}  // namespace

bool IsRegularFile(const std::string& nativePath) {
    std::error_code error;
    return fs::is_regular_file(nativePath, error);
}

std::string DescribeUnreadableFile(const std::string& nativePath) {
    if (IsFolder(nativePath)) {
        return "it is a folder";
    }
    std::string reason;
    if (FolderIsMissing(nativePath, reason)) {
        return reason;
    }
    std::FILE* file = std::fopen(nativePath.c_str(), "rb");
    if (file == nullptr) {
        return errno == ENOENT ? "no such file" : std::strerror(errno);
    }
    std::fclose(file);
    return "it could not be read";
}

std::string WorkingDirectory() {
    std::error_code error;
    const fs::path folder = fs::current_path(error);
    return error ? std::string("(unknown)") : folder.string();
}

bool IsSameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    if (fs::exists(first, error) && fs::exists(second, error)) {
        const bool same = fs::equivalent(first, second, error);
        return same && !error;
    }
    std::error_code firstError;
    std::error_code secondError;
    const fs::path firstPath = fs::weakly_canonical(fs::absolute(first, firstError), firstError);
    const fs::path secondPath = fs::weakly_canonical(fs::absolute(second, secondError), secondError);
    return !firstError && !secondError && firstPath == secondPath;
}

std::string PartialPath(const std::string& nativePath) { return nativePath + ".partial"; }

bool ReplaceWithPartial(const std::string& nativePath) {
    std::error_code error;
    fs::rename(PartialPath(nativePath), nativePath, error);
    if (error) {
        RemovePartial(nativePath);
        return false;
    }
    return true;
}

void RemovePartial(const std::string& nativePath) {
    std::error_code ignored;
    fs::remove(PartialPath(nativePath), ignored);
}

bool CanWriteFile(const std::string& nativePath, std::string& reason) {
    if (nativePath.empty()) {
        reason = "the path is empty";
        return false;
    }
    if (IsFolder(nativePath)) {
        reason = "it is a folder";
        return false;
    }
    if (FolderIsMissing(nativePath, reason)) {
        return false;
    }
    std::FILE* file = std::fopen(PartialPath(nativePath).c_str(), "wb");
    if (file == nullptr) {
        reason = std::strerror(errno);
        return false;
    }
    std::fclose(file);
    RemovePartial(nativePath);
    return true;
}
