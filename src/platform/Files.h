#pragma once

#include <string>

// Whether a native path names an existing regular file: folders and missing
// files are not, so they are never "opened" as empty data.
bool IsRegularFile(const std::string& nativePath);

// Why a file cannot be read, in a few words for a message: "no such file",
// "it is a folder", "the folder bin/font does not exist" or the system's reason.
std::string DescribeUnreadableFile(const std::string& nativePath);

// The process's working directory, against which relative paths resolve.
std::string WorkingDirectory();

// Whether two native paths name the same file, whether it exists yet or not.
bool IsSameFile(const std::string& first, const std::string& second);

// Outputs are written beside their final name, at PartialPath, and moved onto
// it once complete: an existing file is replaced whole or not at all.
std::string PartialPath(const std::string& nativePath);
bool ReplaceWithPartial(const std::string& nativePath);
void RemovePartial(const std::string& nativePath);

// Whether a new file can be written at the path (tried with its partial
// file); `reason` says why not: a folder, a missing folder, the system's reason.
bool CanWriteFile(const std::string& nativePath, std::string& reason);
