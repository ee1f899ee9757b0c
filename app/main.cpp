#include "app/InfoOptions.h"
#include "platform/Afx.h"

#include <iostream>
#include <optional>

int main(int argc, char** argv) {
    if (const std::optional<int> status = AnswerInfoOption(argc, argv, std::cout)) {
        return *status;
    }
    return AfxWinMain(argc, argv);
}
