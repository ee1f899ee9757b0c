#pragma once

// Files the build-time tools write: each is first written under NAME.part and renamed into place
// only once it is complete, so that a failed build step never leaves a half-written file that
// looks up to date.

#include <string>

// Writes text to path; on failure returns "cannot write PATH: reason" and leaves no file behind,
// otherwise an empty string.
std::string WriteWholeFile(const std::string& path, const std::string& text);
