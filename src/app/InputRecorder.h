#pragma once

#include <cstdint>
#include <string>

#include "app/OutputFile.h"

// Writes the user's keyboard and mouse input as lines that --input replays:
// "FRAME keydown VK", "FRAME keyup VK", "FRAME mouse DX DY", each line as it
// happens. The file lies beside its name until Finish moves it there.
class InputRecorder {
public:
    // `header` holds '#' comment lines that start the file.
    bool Open(const std::string& path, const std::string& header);
    bool IsOpen() const { return file_.IsOpen(); }

    // `frame` is the frame that applies the input: the next one to run.
    void KeyDown(int64_t frame, int32_t virtualKey);
    void KeyUp(int64_t frame, int32_t virtualKey);
    // The cursor's offset from the window centre.
    void Mouse(int64_t frame, int32_t dx, int32_t dy);

    // Notes the run's last frame and moves the file onto its path.
    bool Finish(int64_t lastFrame);

private:
    void WriteKey(int64_t frame, const char* kind, int32_t virtualKey);
    void WriteLine(const char* line);

    OutputFile file_;
};
