#include "player/PlayerSettings.h"

#include "config/Settings.h"

PlayerSettings PlayerSettingsFrom(const TypedSettings& settings) {
    PlayerSettings player;
    player.voxelSize = settings.voxelSize;
    player.instantStart = settings.instantStart;
    player.view.fieldOfView = settings.fieldOfView;
    player.view.windowWidth = settings.windowWidth;
    player.view.windowHeight = settings.windowHeight;
    player.view.screenNear = settings.screenNear;
    player.view.screenDepth = settings.screenDepth;
    return player;
}
