#include "tools/icons/CIconCommand.h"

#include <iostream>

int main(int argc, char** argv) {
    CIconCommand command(std::cerr);
    return command.Run(argc, argv);
}
