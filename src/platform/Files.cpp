#include "platform/Files.h"

#include <filesystem>
#include <system_error>

bool IsRegularFile(const std::string& nativePath) {
    std::error_code error;
    return std::filesystem::is_regular_file(nativePath, error);
}
