// The Linux program: the SDL2 platform layer drawing through OpenGL.
#include <memory>

#include "app/Program.h"
#include "graphics/opengl/GlRenderDevice.h"
#include "platform/sdl/SdlPlatform.h"

int main(int argc, char** argv) {
    SdlPlatform platform;
    ProgramParts parts;
    parts.platform = &platform;
    parts.createDevice = [&platform] { return std::make_unique<GlRenderDevice>(platform.Window()); };
    parts.messageBox = &ShowSdlMessageBox;
    parts.stderrBesideDialogs = true;
    return RunProgram(argc, argv, parts);
}
