#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ScratchFolder.h"
#include "platform/NativeFile.h"

// A path in the form the system's file calls take (widened on Windows).
inline NativeString NativeName(const std::string& path) { return NativeString(path.begin(), path.end()); }

// A fresh temporary folder that writes files in binary mode.
class TempFolder : public ScratchFolder {
public:
    TempFolder() : ScratchFolder("voxmere-gfx") {}
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::string Write(const std::string& name, const std::string& text) const {
        return Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
};

// Collects every error message shown while it lives.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    const std::vector<std::string>& Messages() const;
};
