#include "config/Settings.h"

#include <fstream>
#include <locale>
#include <sstream>
#include <type_traits>

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
T ConvertNumber(const std::string& key, const std::string& value, T fallback) {
    std::istringstream stream(value);
    stream.imbue(std::locale::classic());
    T number{};
    stream >> number;
    // An extraction into an unsigned type would wrap a negative number round.
    if (stream.fail() || (std::is_unsigned_v<T> && StartsWithMinus(value))) {
        std::ostringstream shown;
        shown << fallback;
        ReportDiagnostic("config.ini: %s=%s is not a valid number, using %s", key.c_str(), value.c_str(),
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
        WarnAboutEmptyView(Config());
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
    out.streamThreads = GetInt("streamThreads", out.streamThreads);
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
