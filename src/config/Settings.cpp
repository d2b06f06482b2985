#include "config/Settings.h"

#include <fstream>
#include <locale>
#include <sstream>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/ErrorMessage.h"
#include "platform/Files.h"

namespace {

std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool IsSkippedLine(const std::string& line) {
    return line.empty() || line[0] == '#' || line[0] == '[';
}

bool StartsWithMinus(const std::string& value) {
    const size_t first = value.find_first_not_of(" \t\n\v\f\r");
    return first != std::string::npos && value[first] == '-';
}

// Reads the longest leading number of type T, as a classic-locale stream
// extraction of T itself does (a float is rounded once, straight from the
// text). Reports a value that does not start with a number of the type, or
// lies outside its range, and keeps the fallback then.
template <typename T>
T ConvertNumber(const char* origin, const std::string& key, const std::string& value, T fallback) {
    std::istringstream stream(value);
    stream.imbue(std::locale::classic());
    T number{};
    stream >> number;
    // An extraction into an unsigned type would wrap a negative number round.
    if (stream.fail() || (std::is_unsigned_v<T> && StartsWithMinus(value))) {
        std::ostringstream shown;
        shown << fallback;
        ReportDiagnostic("%s: %s=%s is not a valid number, using %s", origin, key.c_str(), value.c_str(),
                         shown.str().c_str());
        return fallback;
    }
    return number;
}

}  // namespace

void WarnAboutEmptyView(const TypedSettings& settings) {
    const double fieldOfView = settings.fieldOfView;
    const double screenNear = settings.screenNear;
    const double screenDepth = settings.screenDepth;
    if (!(fieldOfView > 0.0 && fieldOfView < 180.0)) {
        ReportDiagnostic("config.ini: fieldOfView=%g leaves nothing to see: it must lie between 0 and 180 degrees",
                         fieldOfView);
    }
    if (!(screenNear > 0.0)) {
        ReportDiagnostic("config.ini: screenNear=%g leaves nothing to see: the near plane must lie in front of the eye",
                         screenNear);
    }
    if (!(screenNear < screenDepth)) {
        ReportDiagnostic("config.ini: screenNear=%g is not below screenDepth=%g: nothing lies between the planes",
                         screenNear, screenDepth);
    }
    if (!(settings.voxelSize > 0.0f)) {
        ReportDiagnostic("config.ini: voxelSize=%g leaves nothing to see: cubes need a size above 0",
                         static_cast<double>(settings.voxelSize));
    }
    if (!(settings.fontSize > 0.0f)) {
        ReportDiagnostic("config.ini: fontSize=%g leaves the overlay text unseen: it needs a height above 0",
                         static_cast<double>(settings.fontSize));
    }
}

TypedSettings& Config() {
    static TypedSettings settings;
    return settings;
}

Settings& Settings::Instance() {
    static Settings instance = [] {
        Settings loaded;
        if (!loaded.LoadFile(kSettingsFile)) {
            ReportDiagnostic("%s: cannot read it (%s) in the working directory %s; every setting keeps its default, "
                             "fullscreen included",
                             kSettingsFile, DescribeUnreadableFile(kSettingsFile).c_str(), WorkingDirectory().c_str());
        }
        loaded.LoadTypedSettings(Config());
        return loaded;
    }();
    return instance;
}

bool Settings::LoadFile(const std::string& path) {
    std::ifstream file(path);
    if (!IsRegularFile(path) || !file) {
        return false;
    }
    Load(file);
    return true;
}

void Settings::Load(std::istream& in) {
    std::string line;
    while (std::getline(in, line)) {
        // Only a carriage return right before a line feed ends the line with
        // it; one at the very end of the file belongs to the value.
        const bool endedByLineFeed = !in.eof();
        if (endedByLineFeed && !line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (IsSkippedLine(line)) {
            continue;
        }
        std::string key;
        std::string value;
        if (SplitSetting(line, key, value)) {
            values_.emplace(std::move(key), std::move(value));
        }
    }
}

const char* Settings::OriginOf(const std::string& key) const {
    return overridden_.count(key) != 0 ? "--set" : kSettingsFile;
}

std::string Settings::GetString(const std::string& key, const std::string& fallback) const {
    const auto found = values_.find(key);
    return found == values_.end() ? fallback : found->second;
}

int32_t Settings::GetInt(const std::string& key, int32_t fallback) const {
    const auto found = values_.find(key);
    return found == values_.end() ? fallback : ConvertNumber<int32_t>(OriginOf(key), key, found->second, fallback);
}

uint32_t Settings::GetUnsigned(const std::string& key, uint32_t fallback) const {
    const auto found = values_.find(key);
    return found == values_.end() ? fallback : ConvertNumber<uint32_t>(OriginOf(key), key, found->second, fallback);
}

float Settings::GetFloat(const std::string& key, float fallback) const {
    const auto found = values_.find(key);
    return found == values_.end() ? fallback : ConvertNumber<float>(OriginOf(key), key, found->second, fallback);
}

bool Settings::GetBool(const std::string& key) const {
    const auto found = values_.find(key);
    return found == values_.end() || found->second != "false";
}

char Settings::GetChar(const std::string& key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) {
        return 0;
    }
    const size_t first = found->second.find_first_not_of(" \t\n\v\f\r");
    return first == std::string::npos ? 0 : found->second[first];
}

// Where a key's value goes: a field of the typed settings, or nowhere for the
// key bindings, which the input reads by name.
using SettingField = std::variant<std::monostate, bool TypedSettings::*, int32_t TypedSettings::*,
                                  uint32_t TypedSettings::*, float TypedSettings::*, std::string TypedSettings::*>;

struct SettingKey {
    const char* name;
    SettingField field;
};

namespace {

// Every key the program reads.
const SettingKey kSettingKeys[] = {
    {"fullscreen", &TypedSettings::fullscreen},
    {"VSync", &TypedSettings::VSync},
    {"infiniteTerrain", &TypedSettings::infiniteTerrain},
    {"instantStart", &TypedSettings::instantStart},
    {"windowWidth", &TypedSettings::windowWidth},
    {"windowHeight", &TypedSettings::windowHeight},
    {"screenNear", &TypedSettings::screenNear},
    {"screenDepth", &TypedSettings::screenDepth},
    {"fieldOfView", &TypedSettings::fieldOfView},
    {"GUIUpdate", &TypedSettings::GUIUpdate},
    {"fontSize", &TypedSettings::fontSize},
    {"fontImageFilename", &TypedSettings::fontImageFilename},
    {"fontShaderName", &TypedSettings::fontShaderName},
    {"fontInfoFilename", &TypedSettings::fontInfoFilename},
    {"startTime", &TypedSettings::startTime},
    {"timeScale", &TypedSettings::timeScale},
    {"updateTime", &TypedSettings::updateTime},
    {"mapSeed", &TypedSettings::mapSeed},
    {"cubeShaderName", &TypedSettings::cubeShaderName},
    {"voxelSize", &TypedSettings::voxelSize},
    {"chunkWidth", &TypedSettings::chunkWidth},
    {"chunkHeight", &TypedSettings::chunkHeight},
    {"terrainWidth", &TypedSettings::terrainWidth},
    {"loadSpeed", &TypedSettings::loadSpeed},
    {"updateSpeed", &TypedSettings::updateSpeed},
    {"mapGenerationMethod", &TypedSettings::mapGenerationMethod},
    {"renderFaces", &TypedSettings::renderFaces},
    {"streamThreads", &TypedSettings::streamThreads},
    {"wholeSeed", &TypedSettings::wholeSeed},
    {"dpiAware", &TypedSettings::dpiAware},
    {"fog", &TypedSettings::fog},
    {"ambientOcclusion", &TypedSettings::ambientOcclusion},
    {"faceShaderName", &TypedSettings::faceShaderName},
    {"moveForward", {}},
    {"moveBackward", {}},
    {"moveLeft", {}},
    {"moveRight", {}},
    {"moveUp", {}},
    {"moveDown", {}},
    {"jump", {}},
    {"toggleFlyMode", {}},
    {"toggleCollision", {}},
    {"toggleWireframe", {}},
    {"toggleDebugOutput", {}},
    {"screenshot", {}},
    {"accelerationX", {}},
    {"accelerationY", {}},
};

}  // namespace

bool IsKnownSetting(const std::string& key) {
    for (const SettingKey& known : kSettingKeys) {
        if (key == known.name) {
            return true;
        }
    }
    return false;
}

// A boolean is true unless its text is "false"; an absent key keeps the
// value already in `out`, as every other type does.
void Settings::LoadTypedSetting(const SettingKey& key, TypedSettings& out) const {
    if (!Contains(key.name)) {
        return;
    }
    const auto load = [&](auto member) {
        using Value = std::remove_reference_t<decltype(out.*member)>;
        Value& value = out.*member;
        if constexpr (std::is_same_v<Value, bool>) {
            value = GetBool(key.name);
        } else if constexpr (std::is_same_v<Value, std::string>) {
            value = GetString(key.name, value);
        } else if constexpr (std::is_same_v<Value, float>) {
            value = GetFloat(key.name, value);
        } else if constexpr (std::is_same_v<Value, uint32_t>) {
            value = GetUnsigned(key.name, value);
        } else {
            value = GetInt(key.name, value);
        }
    };
    std::visit(
        [&](auto member) {
            if constexpr (!std::is_same_v<decltype(member), std::monostate>) {
                load(member);
            }
        },
        key.field);
}

void Settings::LoadTypedSettings(TypedSettings& out) const {
    for (const SettingKey& key : kSettingKeys) {
        LoadTypedSetting(key, out);
    }
}

void Settings::Override(const std::string& key, const std::string& value, TypedSettings& typed) {
    values_[key] = value;
    overridden_.insert(key);
    for (const SettingKey& known : kSettingKeys) {
        if (key == known.name) {
            LoadTypedSetting(known, typed);
        }
    }
}

bool SplitSetting(const std::string& text, std::string& key, std::string& value) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    key = TrimBlanks(text.substr(0, equals));
    value = TrimBlanks(text.substr(equals + 1));
    return true;
}

std::string NativePath(const std::string& settingsPath) {
    std::string path = settingsPath;
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}
