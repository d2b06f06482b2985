#include "text/TextSettings.h"

#include "config/Settings.h"

OverlaySettings OverlaySettingsFrom(const TypedSettings& settings) {
    OverlaySettings overlay;
    overlay.refreshInterval = settings.GUIUpdate;
    overlay.screenWidth = settings.windowWidth;
    overlay.screenHeight = settings.windowHeight;
    overlay.font.size = settings.fontSize;
    overlay.font.imageFilename = settings.fontImageFilename;
    overlay.font.infoFilename = settings.fontInfoFilename;
    overlay.font.shaderName = settings.fontShaderName;
    return overlay;
}
