#include "config/Settings.h"

#include <fstream>
#include <iostream>
#include <limits>
#include <locale>
#include <sstream>

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

// Reads the longest leading number of type T as a classic-locale stream
// extraction does. Reports a value that does not start with a number of the
// type, or lies outside its range, and keeps the fallback then.
template <typename T>
T ConvertNumber(const std::string& key, const std::string& value, T fallback) {
    std::istringstream stream(value);
    stream.imbue(std::locale::classic());
    // Read wider first so that out-of-range values are told apart from
    // values that are not numbers at all.
    using Wide = std::conditional_t<std::is_floating_point_v<T>, double, long long>;
    Wide wide{};
    stream >> wide;
    bool ok = !stream.fail();
    if (ok && std::is_unsigned_v<T> && value.find_first_not_of(" \t\n\v\f\r") != std::string::npos &&
        value[value.find_first_not_of(" \t\n\v\f\r")] == '-') {
        ok = false;
    }
    if (ok) {
        if constexpr (std::is_floating_point_v<T>) {
            const double limit = std::numeric_limits<T>::max();
            ok = wide >= -limit && wide <= limit;
        } else {
            ok = wide >= static_cast<Wide>(std::numeric_limits<T>::min()) &&
                 wide <= static_cast<Wide>(std::numeric_limits<T>::max());
        }
    }
    if (!ok) {
        std::cerr << "config.ini: " << key << "=" << value << " is not a valid number, using "
                  << fallback << "\n";
        return fallback;
    }
    return static_cast<T>(wide);
}

}  // namespace

TypedSettings& Config() {
    static TypedSettings settings;
    return settings;
}

Settings& Settings::Instance() {
    static Settings instance = [] {
        Settings loaded;
        loaded.LoadFile("config.ini");
        loaded.LoadTypedSettings(Config());
        return loaded;
    }();
    return instance;
}

bool Settings::LoadFile(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        return false;
    }
    Load(file);
    return true;
}

void Settings::Load(std::istream& in) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (IsSkippedLine(line)) {
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        values_.emplace(TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1)));
    }
}

std::string Settings::GetString(const std::string& key, const std::string& fallback) const {
    const auto found = values_.find(key);
    return found == values_.end() ? fallback : found->second;
}

int32_t Settings::GetInt(const std::string& key, int32_t fallback) const {
    const auto found = values_.find(key);
    return found == values_.end() ? fallback : ConvertNumber<int32_t>(key, found->second, fallback);
}

uint32_t Settings::GetUnsigned(const std::string& key, uint32_t fallback) const {
    const auto found = values_.find(key);
    return found == values_.end() ? fallback : ConvertNumber<uint32_t>(key, found->second, fallback);
}

float Settings::GetFloat(const std::string& key, float fallback) const {
    const auto found = values_.find(key);
    return found == values_.end() ? fallback : ConvertNumber<float>(key, found->second, fallback);
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

void Settings::LoadTypedSettings(TypedSettings& out) const {
    out.fullscreen = GetBool("fullscreen");
    out.VSync = GetBool("VSync");
    out.infiniteTerrain = GetBool("infiniteTerrain");
    out.instantStart = GetBool("instantStart");
    out.windowWidth = GetUnsigned("windowWidth", out.windowWidth);
    out.windowHeight = GetUnsigned("windowHeight", out.windowHeight);
    out.screenNear = GetFloat("screenNear", out.screenNear);
    out.screenDepth = GetFloat("screenDepth", out.screenDepth);
    out.fieldOfView = GetFloat("fieldOfView", out.fieldOfView);
    out.GUIUpdate = GetFloat("GUIUpdate", out.GUIUpdate);
    out.fontSize = GetFloat("fontSize", out.fontSize);
    out.fontImageFilename = GetString("fontImageFilename", out.fontImageFilename);
    out.fontShaderName = GetString("fontShaderName", out.fontShaderName);
    out.fontInfoFilename = GetString("fontInfoFilename", out.fontInfoFilename);
    out.startTime = GetFloat("startTime", out.startTime);
    out.timeScale = GetFloat("timeScale", out.timeScale);
    out.updateTime = GetFloat("updateTime", out.updateTime);
    out.mapSeed = GetString("mapSeed", out.mapSeed);
    out.cubeShaderName = GetString("cubeShaderName", out.cubeShaderName);
    out.voxelSize = GetFloat("voxelSize", out.voxelSize);
    out.chunkWidth = GetInt("chunkWidth", out.chunkWidth);
    out.chunkHeight = GetInt("chunkHeight", out.chunkHeight);
    out.terrainWidth = GetUnsigned("terrainWidth", out.terrainWidth);
    out.loadSpeed = GetInt("loadSpeed", out.loadSpeed);
    out.updateSpeed = GetInt("updateSpeed", out.updateSpeed);
    out.mapGenerationMethod = GetInt("mapGenerationMethod", out.mapGenerationMethod);
    out.renderFaces = Contains("renderFaces") && GetBool("renderFaces");
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
