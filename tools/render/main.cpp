#include "tools/render/CRenderCommand.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    CRenderCommand command(std::cin, std::cout, std::cerr);
    return command.Run(argc, argv);
}
