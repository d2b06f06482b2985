#include "TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/ErrorMessage.h"

namespace {
std::vector<std::string> g_messages;
void CollectMessage(const char* text) { g_messages.emplace_back(text); }
}  // namespace

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "voxmere-gfx-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::File(const std::string& name) const { return path_ + "/" + name; }

std::string TempFolder::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string TempFolder::Write(const std::string& name, const std::string& text) const {
    return Write(name, std::vector<uint8_t>(text.begin(), text.end()));
}

MessageCapture::MessageCapture() {
    g_messages.clear();
    SetErrorMessageSink(CollectMessage);
}

MessageCapture::~MessageCapture() { SetErrorMessageSink(nullptr); }

const std::vector<std::string>& MessageCapture::Messages() const { return g_messages; }
