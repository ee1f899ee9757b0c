#include "app/InfoOptions.h"
#include "platform/afx/Afx.h"

#include <iostream>
#include <optional>

int main(int argc, char** argv) {
    if (const std::optional<int> status = AnswerInfoOption(argc, argv, std::cout)) {
        return *status;
    }
    return AfxWinMain(argc, argv);
}
