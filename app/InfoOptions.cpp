#include "app/InfoOptions.h"

#include "res/VersionInfo.h"

#include <ostream>
#include <string_view>

namespace {

constexpr int kAnsweredStatus = 0;     // the question was answered
constexpr int kCannotAnswerStatus = 1; // the answer could not be written, as onto a full disk

constexpr char kUsage[] =
    R"(Usage: ondeline [--help | --version]
Open a window with a square patch of water that ripples where you click. The check boxes
and the size list beside the water change the picture; closing the window ends the program.
Other arguments are ignored, except the Qt toolkit's own, such as -platform wayland.

  -h, --help   show this help and exit
  --version    show the version and exit

ondeline-render draws the same water to pictures without a window. See man ondeline.
)";

void WriteVersion(std::ostream& out) {
    const auto& version = GetVersionInfo().productVersion;
    out << "ondeline " << version[0] << '.' << version[1] << '.' << version[2] << '.' << version[3]
        << '\n';
}

} // namespace

std::optional<int> AnswerInfoOption(int argc, const char* const* argv, std::ostream& out) {
    for (int index = 1; index < argc; ++index) {
        const std::string_view argument = argv[index];
        if (argument == "--help" || argument == "-h") {
            out << kUsage;
        } else if (argument == "--version") {
            WriteVersion(out);
        } else {
            continue;
        }
        out.flush();
        return out ? kAnsweredStatus : kCannotAnswerStatus;
    }
    return std::nullopt;
}
