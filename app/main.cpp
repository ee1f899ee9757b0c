#include "platform/afx/Afx.h"

int main(int argc, char** argv) {
    return AfxWinMain(argc, argv);
}
