// The Windows program: the Win32 platform layer drawing through Direct3D 11.
#include <windows.h>

#include <cstdlib>
#include <memory>

#include "app/Program.h"
#include "graphics/d3d11/D3D11RenderDevice.h"
#include "platform/win32/Win32Platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Win32Platform platform;
    ProgramParts parts;
    parts.platform = &platform;
    parts.createDevice = [&platform] { return std::make_unique<D3D11RenderDevice>(platform.Window()); };
    parts.messageBox = &ShowWin32MessageBox;
    parts.stderrBesideDialogs = false;  // a Windows program shows its failures in message boxes only
    return RunProgram(__argc, __argv, parts);
}
