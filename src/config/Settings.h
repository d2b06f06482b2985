#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <set>
#include <string>

// The typed settings: one value per key of "config.ini", holding its default
// until the file has been read. Only the window creation writes any of them
// afterwards (the full-screen size).
struct TypedSettings {
    bool fullscreen = true;
    bool VSync = true;
    bool infiniteTerrain = true;
    bool instantStart = true;
    uint32_t windowWidth = 1280;
    uint32_t windowHeight = 720;
    float screenNear = 0.25f;
    float screenDepth = 1024.0f;
    float fieldOfView = 90.0f;
    float GUIUpdate = 256.0f;
    float fontSize = 16.0f;
    std::string fontImageFilename = "bin\\font\\font.dds";
    std::string fontShaderName = "bin\\shader\\Font";
    std::string fontInfoFilename = "bin\\font\\fontInfo.txt";
    float startTime = 24000.0f;
    float timeScale = 600.0f;
    float updateTime = 10.0f;
    std::string mapSeed = "voxmere";
    std::string cubeShaderName = "bin\\shader\\Cube";
    float voxelSize = 1.0f;
    int32_t chunkWidth = 32;
    int32_t chunkHeight = 128;
    uint32_t terrainWidth = 512;
    int32_t loadSpeed = 32000;
    int32_t updateSpeed = 64000;
    int32_t mapGenerationMethod = 1;
    // Opt-in: draw only the exposed faces of the visible cubes. Unlike the
    // other switches it is off unless the file turns it on.
    bool renderFaces = false;
    // Opt-in: threads that stream chunks in the background (0: none).
    int32_t streamThreads = 0;
    // Opt-in: every byte of mapSeed decides the terrain, not only the first.
    bool wholeSeed = false;
    // Opt-in: the window's sizes are real pixels on a scaled display.
    bool dpiAware = false;
    // Opt-in looks: distance fog (both renderers), corner darkening (faces).
    bool fog = false;
    bool ambientOcclusion = false;
    std::string faceShaderName = "bin\\shader\\Face";
};

// The settings file, read from the working directory.
constexpr const char* kSettingsFile = "config.ini";

// The process-wide typed settings, read by Core and handed down.
TypedSettings& Config();

// Whether the program reads the key: a typed setting or a key binding.
bool IsKnownSetting(const std::string& key);

// Splits "key=value" at its first "=", each side without its outer blanks,
// as a line of the file is read; false without an "=".
bool SplitSetting(const std::string& text, std::string& key, std::string& value);

struct SettingKey;

// The key/value store of "config.ini". Keys are case-sensitive; the first
// occurrence of a key in the file wins.
class Settings {
public:
    // The first call reads "config.ini" from the working directory and loads
    // every typed setting into Config(); nothing is checked or warned about
    // yet, so that overrides can still follow.
    static Settings& Instance();

    bool LoadFile(const std::string& path);
    void Load(std::istream& in);

    std::string GetString(const std::string& key, const std::string& fallback) const;
    int32_t GetInt(const std::string& key, int32_t fallback) const;
    uint32_t GetUnsigned(const std::string& key, uint32_t fallback) const;
    float GetFloat(const std::string& key, float fallback) const;
    bool GetBool(const std::string& key) const;
    char GetChar(const std::string& key) const;

    // Converts every known key into its typed value; absent keys keep the
    // values already in `out`.
    void LoadTypedSettings(TypedSettings& out) const;

    // Replaces the key's value for this run (the file is never written) and
    // loads it into `typed` when it is a typed setting; a later override of
    // the same key wins. Bad numbers are reported as coming from "--set".
    void Override(const std::string& key, const std::string& value, TypedSettings& typed);

    bool Contains(const std::string& key) const { return values_.count(key) != 0; }

private:
    void LoadTypedSetting(const SettingKey& key, TypedSettings& out) const;
    const char* OriginOf(const std::string& key) const;

    std::map<std::string, std::string> values_;
    std::set<std::string> overridden_;
};

// One warning on stderr for each setting that leaves nothing to see:
// fieldOfView outside (0, 180), screenNear not above 0 or not below
// screenDepth, voxelSize or fontSize not above 0. The program runs on with them.
void WarnAboutEmptyView(const TypedSettings& settings);

// Opens a settings path on this platform: a backslash separates folders.
std::string NativePath(const std::string& settingsPath);
