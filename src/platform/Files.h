#pragma once

#include <string>

// Whether a native path names an existing regular file: folders and missing
// files are not, so they are never "opened" as empty data.
bool IsRegularFile(const std::string& nativePath);
