#include "ScratchFolder.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <system_error>

ScratchFolder::ScratchFolder(const std::string& prefix) {
    static int created = 0;
    const std::string name = prefix + "-" + std::to_string(getpid()) + "-" + std::to_string(++created);
    const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    std::filesystem::create_directories(path);
    path_ = path.generic_string();
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
    return File(name);
}
