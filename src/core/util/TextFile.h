#pragma once

#include <string>

// Writes text to a file through a temporary file beside it and a rename, so a failed write never
// leaves a half-written file where a good one was. Returns 0, or -1 with the file name and the
// reason in error.
int WriteTextFileAtomically(const std::string& path, const std::string& text, std::string& error);
