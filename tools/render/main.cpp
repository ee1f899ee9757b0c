#include "tools/render/CRenderCommand.h"

#include <iostream>

#include <unistd.h>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const CRenderCommand::Terminals terminals{isatty(STDIN_FILENO) == 1,
                                              isatty(STDOUT_FILENO) == 1};
    CRenderCommand command(std::cin, std::cout, std::cerr, terminals);
    return command.Run(argc, argv);
}
