// The settings loader on any text: the store, every typed setting, the
// warnings about an empty view and the input start-up that reads the bindings.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "config/Settings.h"
#include "input/Input.h"
#include "platform/ErrorMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetErrorMessagesOnStderr(false);
    std::istringstream text(std::string(reinterpret_cast<const char*>(data), size));
    Settings settings;
    settings.Load(text);
    TypedSettings typed;
    settings.LoadTypedSettings(typed);
    WarnAboutEmptyView(typed);
    Input input;
    input.Initialize(settings);
    for (int32_t key = 0; key < 256; ++key) {
        input.KeyDown(key);
    }
    input.FiredAction();
    input.Intents();
    return 0;
}
