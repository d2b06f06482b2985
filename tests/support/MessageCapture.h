#pragma once

#include <string>
#include <vector>

#include "platform/ErrorMessage.h"

// Collects every error message shown while it lives.
class MessageCapture {
public:
    MessageCapture() {
        Messages().clear();
        SetErrorMessageSink([](const char* text) { Messages().emplace_back(text); });
    }
    ~MessageCapture() { SetErrorMessageSink(nullptr); }
    static std::vector<std::string>& Messages() {
        static std::vector<std::string> messages;
        return messages;
    }
};
