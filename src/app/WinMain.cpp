// The Windows program: the Win32 platform layer drawing through Direct3D 11.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/Program.h"
#include "graphics/d3d11/D3D11RenderDevice.h"
#include "platform/win32/Win32Platform.h"

namespace {
bool IsRedirected(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A GUI-subsystem program has no console of its own: started from one, it writes
// to its parent's (help, usage, --stats, failures under --no-dialogs) unless
// the output goes to a file or a pipe already. Started from Explorer there is
// no console to attach to, and none is made.
void WriteToParentConsole() {
    const bool outRedirected = IsRedirected(STD_OUTPUT_HANDLE);
    const bool errRedirected = IsRedirected(STD_ERROR_HANDLE);
    if ((outRedirected && errRedirected) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    if (!outRedirected) {
        std::freopen("CONOUT$", "w", stdout);
    }
    if (!errRedirected) {
        std::freopen("CONOUT$", "w", stderr);
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    WriteToParentConsole();
    Win32Platform platform;
    ProgramParts parts;
    parts.platform = &platform;
    parts.createDevice = [&platform] { return std::make_unique<D3D11RenderDevice>(platform.Window()); };
    parts.messageBox = &ShowWin32MessageBox;
    parts.stderrBesideDialogs = false;  // a Windows program shows its failures in message boxes only
    return RunProgram(__argc, __argv, parts);
}
