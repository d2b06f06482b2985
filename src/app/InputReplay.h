#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The widest cursor offset a replayed mouse move may take, the range of a
// cursor position in a window message.
constexpr int32_t kMaxMouseOffset = 32767;

// Recorded input, fed to the program instead of the keyboard and mouse.
struct ReplayEvent {
    enum class Kind { KeyDown, KeyUp, Mouse };
    int64_t frame = 0;  // counted from 1
    Kind kind = Kind::KeyDown;
    int32_t virtualKey = 0;
    int32_t dx = 0;  // cursor offset from the window centre
    int32_t dy = 0;
};

class InputReplay {
public:
    // Reads lines "FRAME keydown VK", "FRAME keyup VK" and "FRAME mouse DX DY".
    // Blank lines and lines starting with '#' are skipped. Frames must not
    // decrease; VK lies in 0..255, DX and DY in -32767..32767. On a bad line,
    // `error` names its number.
    bool Load(const std::string& path, std::string& error);
    bool Parse(const std::string& text, std::string& error);

    // The events of one frame, in file order.
    template <typename Visit>
    void ForEachEventOf(int64_t frame, Visit visit) {
        while (next_ < events_.size() && events_[next_].frame < frame) {
            ++next_;
        }
        while (next_ < events_.size() && events_[next_].frame == frame) {
            visit(events_[next_++]);
        }
    }

    size_t EventCount() const { return events_.size(); }

private:
    std::vector<ReplayEvent> events_;
    size_t next_ = 0;
};
