#include "platform/afx/Afx.h"

// The page starts the program as a window program is started, with its name alone: --help and
// --version are questions for a terminal, which a page has not. The program proper is the
// application object, as on every other system.
int main(int argc, char** argv) {
    return AfxWinMain(argc, argv);
}
