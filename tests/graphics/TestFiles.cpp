#include "TestFiles.h"

#include <fstream>

#include "platform/ErrorMessage.h"

namespace {
std::vector<std::string> g_messages;
}  // namespace

std::string TempFolder::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(File(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return File(name);
}

MessageCapture::MessageCapture() {
    g_messages.clear();
    SetErrorMessageSink([](const char* text) { g_messages.emplace_back(text); });
}

MessageCapture::~MessageCapture() { SetErrorMessageSink(nullptr); }

const std::vector<std::string>& MessageCapture::Messages() const { return g_messages; }
