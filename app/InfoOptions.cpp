#include "app/InfoOptions.h"

#include "res/VersionInfo.h"

#include <ostream>
#include <sstream>
#include <string_view>

namespace {

constexpr int kAnsweredStatus = 0;     // the question was answered
constexpr int kCannotAnswerStatus = 1; // the answer could not be written, as onto a full disk

// Each system's own words: what starts the program there, and where more is said.
#ifdef _WIN32
// Unwrapped, since a message box and a console each wrap the lines to their own width.
constexpr char kUsage[] =
    "Usage: ondeline [--help | --version]\n"
    "Opens a window with a square patch of water that ripples where you click. The check boxes "
    "and the size list beside the water change the picture; closing the window ends the "
    "program. Other arguments are ignored.\n"
    "\n"
    "  -h, --help   show this help and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "Alt+Space opens the window menu, with \"About Ondeline...\".\n";
#else
constexpr char kUsage[] =
    R"(Usage: ondeline [--help | --version]
Open a window with a square patch of water that ripples where you click. The check boxes
and the size list beside the water change the picture; closing the window ends the program.
Other arguments are ignored, except the Qt toolkit's own, such as -platform wayland.

  -h, --help   show this help and exit
  --version    show the version and exit

ondeline-render draws the same water to pictures without a window. See man ondeline.
)";
#endif

std::string VersionLine() {
    const auto& version = GetVersionInfo().productVersion;
    std::ostringstream line;
    line << "ondeline " << version[0] << '.' << version[1] << '.' << version[2] << '.' << version[3]
         << '\n';
    return line.str();
}

} // namespace

std::optional<std::string> InfoAnswer(int argc, const char* const* argv) {
    for (int index = 1; index < argc; ++index) {
        const std::string_view argument = argv[index];
        if (argument == "--help" || argument == "-h") {
            return kUsage;
        }
        if (argument == "--version") {
            return VersionLine();
        }
    }
    return std::nullopt;
}

int WriteInfoAnswer(const std::string& answer, std::ostream& out) {
    out << answer;
    out.flush();
    return out ? kAnsweredStatus : kCannotAnswerStatus;
}
