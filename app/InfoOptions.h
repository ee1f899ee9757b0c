#pragma once

// The two questions a person asks a program before running it, answered before the window
// system is touched, so that they work without a display.

#include <iosfwd>
#include <optional>
#include <string>

// When the arguments hold --help (or -h) or --version, the answer to the first of them: the usage
// in the words of the system the program was built for, or the version line; otherwise nothing,
// and the program starts as usual. Every other argument is left alone.
std::optional<std::string> InfoAnswer(int argc, const char* const* argv);

// Writes the answer to out and gives the process's exit status: 0, or 1 when out cannot take it.
int WriteInfoAnswer(const std::string& answer, std::ostream& out);

// Gives the answer where this system's user sees it, and the process's exit status.
int ShowInfoAnswer(const std::string& answer);
