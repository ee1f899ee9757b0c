#pragma once

// ondeline-rc's work: the program's resources as a resource script for windres, written from
// res/'s tables, so that a Windows build carries the very templates, strings and version the
// Linux build reads from those tables. The icon is ondeline-icons' .ico file and the manifest is
// written beside the script; the script names both by file name alone, so the resource
// compiler must be told to look in their folder.

#include <ostream>
#include <string>

class CResourceScript {
public:
    static constexpr char kIconFile[] = "ondeline.ico";
    static constexpr char kManifestFile[] = "ondeline.manifest";

    // Writes the script; false, with Error() saying why, when a table holds what a script cannot
    // carry (a text with a character outside printable ASCII, a missing template).
    bool WriteScript(std::ostream& out);
    // The processor architectures a manifest may name, as Windows spells them: the 32-bit and
    // the 64-bit program's.
    static bool IsArchitecture(const std::string& architecture);
    // The application manifest of the program built for architecture: common controls 6,
    // per-monitor DPI awareness (v2), and the versions of Windows it was tested for.
    void WriteManifest(std::ostream& out, const std::string& architecture) const;
    const std::string& Error() const { return m_strError; }

private:
    bool WriteDialog(std::ostream& out, unsigned id);
    bool WriteDialogInit(std::ostream& out, unsigned id);
    bool WriteStrings(std::ostream& out);
    bool WriteVersion(std::ostream& out);
    // text as a quoted string of the script, or false where it cannot be one.
    bool Quote(const char* text, std::string& quoted);
    bool Fail(const std::string& what);

    std::string m_strError;
};
