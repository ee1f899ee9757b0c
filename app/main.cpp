#include "app/InfoOptions.h"
#include "platform/afx/Afx.h"

#include <optional>
#include <string>

int main(int argc, char** argv) {
    if (const std::optional<std::string> answer = InfoAnswer(argc, argv)) {
        return ShowInfoAnswer(*answer);
    }
    return AfxWinMain(argc, argv);
}
