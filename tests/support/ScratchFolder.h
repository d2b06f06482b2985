#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

// A new, empty folder under the system's temporary folder, unique to this process and object; removed with its
// contents when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix) {
        static int created = 0;
        const std::string name = prefix + "-" + std::to_string(getpid()) + "-" + std::to_string(++created);
        const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
        std::filesystem::create_directories(path);
        path_ = path.generic_string();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Writes the file in binary mode and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(File(name), std::ios::binary) << bytes;
        return File(name);
    }

private:
    std::string path_;
};
