// vpointer: clicks in a wlroots compositor for the end-to-end tests. It keeps one virtual pointer
// for as long as it runs, so that the seat has a pointer before the program under test starts,
// and reads one command a line from its standard input:
//
//   click X Y WIDTH HEIGHT   press and release the left button at (X / WIDTH, Y / HEIGHT) of the
//                            box that holds every output
//
// It answers each line with "ok" or "error: why" on its standard output.

#include "CVirtualPointer.h"

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

namespace {
constexpr unsigned kLeftButton = 0x110; // BTN_LEFT
} // namespace

int main() {
    CVirtualPointer pointer;
    if (!pointer.Connect()) {
        std::cerr << "vpointer: " << pointer.Error() << "\n";
        return 1;
    }
    std::cout << "ready" << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        unsigned x = 0;
        unsigned y = 0;
        unsigned width = 0;
        unsigned height = 0;
        if (!(words >> command >> x >> y >> width >> height) || command != "click") {
            std::cout << "error: expected click X Y WIDTH HEIGHT" << std::endl;
            continue;
        }
        if (pointer.Click(x, y, width, height, kLeftButton)) {
            std::cout << "ok" << std::endl;
        } else {
            std::cout << "error: " << pointer.Error() << std::endl;
            std::cerr << "vpointer: " << pointer.Error() << "\n";
        }
    }
    return 0;
}
