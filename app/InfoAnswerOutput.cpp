#include "app/InfoOptions.h"

#include <iostream>

// A program started from a terminal answers on its standard output.
int ShowInfoAnswer(const std::string& answer) {
    return WriteInfoAnswer(answer, std::cout);
}
