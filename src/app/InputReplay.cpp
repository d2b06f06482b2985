#include "app/InputReplay.h"

#include <fstream>
#include <sstream>

#include "platform/Files.h"

namespace {

bool IsMouseOffset(int32_t offset) { return offset >= -kMaxMouseOffset && offset <= kMaxMouseOffset; }

bool ParseLine(const std::string& line, ReplayEvent& event) {
    std::istringstream stream(line);
    std::string kind;
    if (!(stream >> event.frame >> kind) || event.frame < 1) {
        return false;
    }
    if (kind == "keydown" || kind == "keyup") {
        event.kind = kind == "keydown" ? ReplayEvent::Kind::KeyDown : ReplayEvent::Kind::KeyUp;
        if (!(stream >> event.virtualKey) || event.virtualKey < 0 || event.virtualKey > 255) {
            return false;
        }
    } else if (kind == "mouse") {
        event.kind = ReplayEvent::Kind::Mouse;
        if (!(stream >> event.dx >> event.dy) || !IsMouseOffset(event.dx) || !IsMouseOffset(event.dy)) {
            return false;
        }
    } else {
        return false;
    }
    std::string rest;
    return !(stream >> rest);
}

}  // namespace

bool InputReplay::Load(const std::string& path, std::string& error) {
    std::ifstream file(path);
    if (!IsRegularFile(path) || !file) {
        error = "cannot open input file " + path + ": " + DescribeUnreadableFile(path);
        return false;
    }
    std::stringstream text;
    text << file.rdbuf();
    if (!Parse(text.str(), error)) {
        error = path + ":" + error;
        return false;
    }
    return true;
}

bool InputReplay::Parse(const std::string& text, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") == std::string::npos || line[line.find_first_not_of(" \t")] == '#') {
            continue;
        }
        ReplayEvent event;
        const bool valid = ParseLine(line, event) && (events_.empty() || event.frame >= events_.back().frame);
        if (!valid) {
            error = std::to_string(lineNumber) + ": bad input line '" + line + "'";
            return false;
        }
        events_.push_back(event);
    }
    return true;
}
