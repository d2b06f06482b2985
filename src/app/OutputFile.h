#pragma once

#include <cstdio>
#include <string>

// A text file written beside its final name and moved onto it by Finish: an
// older file is replaced whole or not at all, and an unfinished file is
// removed when the object goes.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    ~OutputFile();

    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    std::FILE* Stream() const { return file_; }
    // Closes the file and moves it onto its path; false when writing or moving failed.
    bool Finish();

private:
    void Discard();

    std::FILE* file_ = nullptr;
    std::string path_;
};
