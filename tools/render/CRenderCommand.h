#pragma once

// The command line of ondeline-render: reads the options and the script, checks the whole
// script, renders it, and writes the frames where the options say. main() only hands it the
// standard streams.

#include <iosfwd>
#include <string>

class CGifWriter;
class CPngWriter;

class CRenderCommand {
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitFailure = 2; // any bad input or output, with one message

    // Which standard streams are a person's terminal rather than a file or a pipe; {} is
    // neither.
    struct Terminals {
        bool bInput;
        bool bOutput;
    };

    CRenderCommand(std::istream& in, std::ostream& out, std::ostream& err,
                   Terminals terminals = {});

    int Run(int argc, const char* const* argv);

private:
    enum class Step { Go, Exit };

    Step ParseArguments(int argc, const char* const* argv, int& exitCode);
    Step TakeOption(const std::string& option, const char* const* argv, int argc, int& index,
                    int& exitCode);
    bool ReadValue(const std::string& option, const char* const* argv, int argc, int& index,
                   std::string& value);
    Step TakeFileName(const std::string& name, const std::string& value, std::string& target,
                      int& exitCode);
    int Commit(CPngWriter* png, CGifWriter* gif);
    int Render(std::istream& script);
    int Fail(const std::string& what);
    int FailWithHint(const std::string& what);
    int FailAtLine(int line, const std::string& what);
    std::string ScriptName() const;

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    Terminals m_terminals;
    std::string m_strPng;
    std::string m_strGif;
    std::string m_strScript; // empty or "-": standard input
    int m_nScale = 1;
    bool m_bScaleGiven = false;
    bool m_bDump = false;
    bool m_bStats = false;
};
