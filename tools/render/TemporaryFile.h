#pragma once

// Output files are first written under a hidden name beside their final one and renamed into
// place only when they are complete, so that a run that fails leaves no partial file behind.

#include <string>

// Creates and opens for writing a new file ".NAME.tmp-PID-N" in the folder of finalName. On
// failure returns false with error "cannot write FINALNAME: reason".
bool OpenTemporaryBeside(const std::string& finalName, std::string& tempName, int& fd,
                         std::string& error);
