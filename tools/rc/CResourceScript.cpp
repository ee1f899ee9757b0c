#include "tools/rc/CResourceScript.h"

#include "res/DialogInit.h"
#include "res/DialogTemplate.h"
#include "res/IconImage.h"
#include "res/StringTable.h"
#include "res/VersionInfo.h"
#include "res/resource.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

// A control statement's style is or-ed into child and visible by the resource compiler, so the
// bits a template leaves clear must be cleared again in so many words.
constexpr std::uint32_t kStyleChild = 0x40000000;
constexpr std::uint32_t kStyleVisible = 0x10000000;
// The resource types the script names by number: a dialog's initialisation data, the manifest.
constexpr unsigned kTypeDialogInit = 240;
constexpr unsigned kTypeManifest = 24;
// The manifest the loader reads at process start, and the version block's usual id.
constexpr unsigned kProcessManifestId = 1;
constexpr unsigned kVersionInfoId = 1;
// String ids are 16-bit; the table is small enough to ask for each.
constexpr unsigned kStringIdLimit = 0x10000;
// A language id holds the primary language in its low ten bits and the dialect above them.
constexpr unsigned kPrimaryLanguageBits = 10;

std::string Hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::string ControlStyle(std::uint32_t style) {
    std::string text = Hex(style, 8);
    if ((style & kStyleVisible) == 0) {
        text += " | NOT " + Hex(kStyleVisible, 8);
    }
    if ((style & kStyleChild) == 0) {
        text += " | NOT " + Hex(kStyleChild, 8);
    }
    return text;
}

std::string VersionNumbers(const std::uint16_t (&parts)[4]) {
    return std::to_string(parts[0]) + ", " + std::to_string(parts[1]) + ", " +
           std::to_string(parts[2]) + ", " + std::to_string(parts[3]);
}

std::string DottedVersion(const std::uint16_t (&parts)[4]) {
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
           std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

} // namespace

bool CResourceScript::WriteScript(std::ostream& out) {
    m_strError.clear();
    out << "// The program's resources, written by ondeline-rc from res/'s tables.\n\n"
        << "LANGUAGE " << Hex(kStringTableLanguage & ((1u << kPrimaryLanguageBits) - 1), 2) << ", "
        << Hex(kStringTableLanguage >> kPrimaryLanguageBits, 2) << "\n\n";
    if (FindIconGroup(IDR_MAINFRAME) == nullptr) {
        return Fail("res/ has no icon " + std::to_string(IDR_MAINFRAME));
    }
    out << IDR_MAINFRAME << " ICON \"" << kIconFile << "\"\n\n";
    for (const unsigned id : {IDD_MAIN, IDD_ABOUTBOX}) {
        if (!WriteDialog(out, id) || !WriteDialogInit(out, id)) {
            return false;
        }
    }
    if (!WriteStrings(out) || !WriteVersion(out)) {
        return false;
    }
    out << kProcessManifestId << ' ' << kTypeManifest << " \"" << kManifestFile << "\"\n";
    return static_cast<bool>(out) || Fail("cannot write the script");
}

bool CResourceScript::WriteDialog(std::ostream& out, unsigned id) {
    const DialogTemplate* dialog = FindDialogTemplate(id);
    if (dialog == nullptr) {
        return Fail("res/ has no dialog template " + std::to_string(id));
    }
    std::string caption;
    std::string face;
    if (!Quote(dialog->caption, caption) || !Quote(dialog->fontFace, face)) {
        return false;
    }
    out << id << (dialog->extended ? " DIALOGEX " : " DIALOG ") << dialog->x << ", " << dialog->y
        << ", " << dialog->cx << ", " << dialog->cy << "\n"
        << "STYLE " << Hex(dialog->style, 8) << "\n";
    if (dialog->exStyle != 0) {
        out << "EXSTYLE " << Hex(dialog->exStyle, 8) << "\n";
    }
    out << "CAPTION " << caption << "\n"
        << "FONT " << dialog->pointSize << ", " << face;
    if (dialog->extended) {
        out << ", " << dialog->weight << ", " << (dialog->italic ? 1 : 0) << ", "
            << static_cast<unsigned>(dialog->charset);
    }
    out << "\nBEGIN\n";
    for (const DialogItemTemplate& item : dialog->items) {
        std::string text;
        if (item.textOrdinal != 0) {
            text = std::to_string(item.textOrdinal);
        } else if (!Quote(item.text, text)) {
            return false;
        }
        out << "    CONTROL " << text << ", " << item.id << ", "
            << Hex(static_cast<std::uint16_t>(item.itemClass), 4) << ", "
            << ControlStyle(item.style) << ", " << item.x << ", " << item.y << ", " << item.cx
            << ", " << item.cy;
        if (item.exStyle != 0) {
            if (!dialog->extended) {
                return Fail("a control of dialog " + std::to_string(id) +
                            " has an extended style, which only an extended template carries");
            }
            out << ", " << Hex(item.exStyle, 8);
        }
        out << "\n";
    }
    out << "END\n\n";
    return true;
}

// The initialisation data as the class library reads it: per entry the control, the message and
// the data's length in bytes, then the data (a string with its terminating zero); a zero word
// ends the list.
bool CResourceScript::WriteDialogInit(std::ostream& out, unsigned id) {
    const std::span<const DialogInitEntry> entries = FindDialogInit(id);
    if (entries.empty()) {
        return true;
    }
    out << id << ' ' << kTypeDialogInit << "\nBEGIN\n";
    for (const DialogInitEntry& entry : entries) {
        std::string data;
        if (!Quote(entry.data, data)) {
            return false;
        }
        data.insert(data.size() - 1, "\\0");
        out << "    " << entry.controlId << ", " << Hex(entry.message, 4) << ", "
            << std::strlen(entry.data) + 1 << "L, " << data << ",\n";
    }
    out << "    0\nEND\n\n";
    return true;
}

bool CResourceScript::WriteStrings(std::ostream& out) {
    out << "STRINGTABLE\nBEGIN\n";
    for (unsigned id = 0; id < kStringIdLimit; ++id) {
        const char* text = FindString(id);
        std::string quoted;
        if (text == nullptr) {
            continue;
        }
        if (!Quote(text, quoted)) {
            return false;
        }
        out << "    " << id << ", " << quoted << "\n";
    }
    out << "END\n\n";
    return true;
}

bool CResourceScript::WriteVersion(std::ostream& out) {
    const VersionInfo& version = GetVersionInfo();
    std::string key;
    if (!Quote(version.stringTableKey, key)) {
        return false;
    }
    out << kVersionInfoId << " VERSIONINFO\n"
        << "FILEVERSION " << VersionNumbers(version.fileVersion) << "\n"
        << "PRODUCTVERSION " << VersionNumbers(version.productVersion) << "\n"
        << "FILEFLAGSMASK " << Hex(version.fileFlagsMask, 2) << "\n"
        << "FILEFLAGS " << Hex(version.fileFlags, 2) << "\n"
        << "FILEOS " << Hex(version.fileOS, 2) << "\n"
        << "FILETYPE " << Hex(version.fileType, 2) << "\n"
        << "FILESUBTYPE " << Hex(version.fileSubtype, 2) << "\n"
        << "BEGIN\n    BLOCK \"StringFileInfo\"\n    BEGIN\n        BLOCK " << key
        << "\n        BEGIN\n";
    for (const VersionString& entry : version.strings) {
        std::string name;
        std::string value;
        if (!Quote(entry.key, name) || !Quote(entry.value, value)) {
            return false;
        }
        out << "            VALUE " << name << ", " << value << "\n";
    }
    out << "        END\n    END\n    BLOCK \"VarFileInfo\"\n    BEGIN\n"
        << "        VALUE \"Translation\", " << Hex(version.translationLanguage, 4) << ", "
        << Hex(version.translationCodePage, 4) << "\n    END\nEND\n\n";
    return true;
}

namespace {

// What Windows runs the program as: each system listed here gives it its own behaviour rather
// than an older one's. From Windows 7 on, the oldest it starts on; 10 stands for 11 as well.
constexpr const char* kSupportedSystems[] = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // Windows 10 and 11
};

constexpr const char* kArchitectures[] = {"x86", "amd64"};

} // namespace

bool CResourceScript::IsArchitecture(const std::string& architecture) {
    return std::find(std::begin(kArchitectures), std::end(kArchitectures), architecture) !=
           std::end(kArchitectures);
}

void CResourceScript::WriteManifest(std::ostream& out, const std::string& architecture) const {
    const VersionInfo& version = GetVersionInfo();
    const char* name = FindVersionString("InternalName");
    const char* description = FindVersionString("ProductName");
    out << R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name=")"
        << (name != nullptr ? name : "ONDELINE") << R"(" version=")"
        << DottedVersion(version.fileVersion) << R"(" processorArchitecture=")" << architecture
        << R"("/>
  <description>)"
        << (description != nullptr ? description : "") << R"(</description>
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"
                        processorArchitecture="*" publicKeyToken="6595b64144ccf1df" language="*"/>
    </dependentAssembly>
  </dependency>
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="asInvoker" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>
  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">
    <application>
)";
    for (const char* system : kSupportedSystems) {
        out << R"(      <supportedOS Id=")" << system << R"("/>
)";
    }
    out << R"(    </application>
  </compatibility>
  <application xmlns="urn:schemas-microsoft-com:asm.v3">
    <windowsSettings>
      <dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>
      <dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2, PerMonitor</dpiAwareness>
    </windowsSettings>
  </application>
</assembly>
)";
}

// Quoted for the script: a quote is doubled and a backslash escaped; no text is an empty one.
// Anything but printable ASCII is refused rather than left to the resource compiler's idea of
// the code page.
bool CResourceScript::Quote(const char* text, std::string& quoted) {
    if (text == nullptr) {
        text = "";
    }
    quoted = "\"";
    for (const char* at = text; *at != '\0'; ++at) {
        const unsigned char c = static_cast<unsigned char>(*at);
        if (c < 0x20 || c > 0x7E) {
            return Fail(std::string("the text \"") + text +
                        "\" has a character a resource script cannot carry");
        }
        if (c == '"') {
            quoted += "\"\"";
        } else if (c == '\\') {
            quoted += "\\\\";
        } else {
            quoted += static_cast<char>(c);
        }
    }
    quoted += '"';
    return true;
}

bool CResourceScript::Fail(const std::string& what) {
    m_strError = what;
    return false;
}
