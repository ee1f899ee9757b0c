#pragma once

// The two questions a person asks a Linux program before running it, answered before the window
// system is touched, so that they work without a display.

#include <iosfwd>
#include <optional>

// When the arguments hold --help (or -h) or --version, writes the usage or the version to out and
// gives the process's exit status (0, or 1 when out cannot take it); otherwise gives nothing, and
// the program starts as usual. Every other argument is left alone.
std::optional<int> AnswerInfoOption(int argc, const char* const* argv, std::ostream& out);
