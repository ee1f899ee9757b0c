#include "tools/render/CSceneScript.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

constexpr char kCommentStart = '#';
constexpr std::int64_t kMaxTick = 4294967295; // ticks are unsigned 32-bit milliseconds
constexpr std::size_t kMaxQuotedLength = 40;  // longer tokens are cut short in messages

using Tokens = std::vector<std::string_view>;

// Quotes a token for a message, with control characters made visible as '?' and long tokens
// cut short, so that a binary file fed in by mistake still gives a readable line.
std::string Quote(std::string_view token) {
    std::string quoted = "\"";
    for (std::size_t i = 0; i < token.size() && i < kMaxQuotedLength; ++i) {
        const auto c = static_cast<unsigned char>(token[i]);
        quoted += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
    }
    if (token.size() > kMaxQuotedLength) {
        quoted += "...";
    }
    return quoted + "\"";
}

Tokens Split(std::string_view text) {
    Tokens tokens;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = text.find_first_not_of(" \t", pos);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
        tokens.push_back(text.substr(start, end - start));
        pos = end;
    }
    return tokens;
}

// Reads an optionally negative run of decimal digits. Values far beyond any limit stop growing,
// so a hundred-digit number is still reported as out of range rather than wrapping.
std::string ParseWhole(std::string_view name, std::string_view token, std::int64_t min,
                       std::int64_t max, std::int64_t& value) {
    const bool negative = !token.empty() && token.front() == '-';
    const std::string_view digits = negative ? token.substr(1) : token;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::string(name) + " " + Quote(token) + " is not a whole number";
    }
    constexpr std::int64_t kCeiling = std::int64_t{1} << 40;
    std::int64_t magnitude = 0;
    for (const char digit : digits) {
        magnitude = std::min(kCeiling, magnitude * 10 + (digit - '0'));
    }
    value = negative ? -magnitude : magnitude;
    if (value < min || value > max) {
        return std::string(name) + " " + Quote(token) + " is out of range " + std::to_string(min) +
               ".." + std::to_string(max);
    }
    return {};
}

std::string ParseInt(std::string_view name, std::string_view token, int min, int max, int& value) {
    std::int64_t wide = 0;
    std::string fault = ParseWhole(name, token, min, max, wide);
    value = static_cast<int>(wide);
    return fault;
}

std::string ParseTick(std::string_view token, std::uint32_t& tick) {
    std::int64_t wide = 0;
    std::string fault = ParseWhole("tick", token, 0, kMaxTick, wide);
    tick = static_cast<std::uint32_t>(wide);
    return fault;
}

// A decimal number: an optional minus sign, then digits with at most one decimal point. No
// exponents, no hexadecimal, no infinities: grid coordinates are written as people write them.
std::string ParseDecimal(std::string_view name, std::string_view token, double& value) {
    const bool negative = !token.empty() && token.front() == '-';
    const std::string_view body = negative ? token.substr(1) : token;
    const std::size_t point = body.find('.');
    const bool digitsOnly =
        body.find_first_not_of("0123456789.") == std::string_view::npos &&
        (point == std::string_view::npos || body.find('.', point + 1) == std::string_view::npos);
    if (!digitsOnly || body.find_first_of("0123456789") == std::string_view::npos) {
        return std::string(name) + " " + Quote(token) + " is not a decimal number";
    }
    const auto result = std::from_chars(body.data(), body.data() + body.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) {
        return std::string(name) + " " + Quote(token) + " is out of range";
    }
    value = negative ? -value : value;
    return {};
}

std::string ParsePixel(std::string_view name, std::string_view token, int& value) {
    return ParseInt(name, token, -CSceneScript::kMaxClientPixel, CSceneScript::kMaxClientPixel,
                    value);
}

std::string ParseGrid(const Tokens& args, SceneAction& action) {
    GridDirective grid{};
    std::string fault = ParseInt("width", args[0], CSceneScript::kMinGridCells,
                                 CSceneScript::kMaxGridCells, grid.width);
    if (fault.empty()) {
        fault = ParseInt("height", args[1], CSceneScript::kMinGridCells,
                         CSceneScript::kMaxGridCells, grid.height);
    }
    action = grid;
    return fault;
}

struct OptionWord {
    std::string_view word;
    bool FieldOptions::*flag;
};

constexpr std::array<OptionWord, 3> kOptionWords = {{
    {"drift", &FieldOptions::drift},
    {"spectrum", &FieldOptions::spectrum},
    {"color", &FieldOptions::addColor},
}};

std::string ParseOptions(const Tokens& args, SceneAction& action) {
    OptionsDirective options{};
    for (const std::string_view word : args) {
        const auto* known = std::find_if(kOptionWords.begin(), kOptionWords.end(),
                                         [word](const OptionWord& o) { return o.word == word; });
        if (known == kOptionWords.end()) {
            return "unknown option " + Quote(word) + " (expected drift, spectrum or color)";
        }
        if (options.options.*known->flag) {
            return "option " + Quote(word) + " is given twice";
        }
        options.options.*known->flag = true;
    }
    action = options;
    return {};
}

std::string ParseDrop(const Tokens& args, SceneAction& action) {
    DropDirective drop{};
    std::string fault = ParseDecimal("x", args[0], drop.x);
    if (fault.empty()) {
        fault = ParseDecimal("y", args[1], drop.y);
    }
    if (fault.empty()) {
        fault = ParseTick(args[2], drop.tick);
    }
    action = drop;
    return fault;
}

std::string ParseRect(const Tokens& args, SceneAction& action) {
    RectDirective rect{};
    int edges[4] = {};
    const char* const names[4] = {"left", "top", "right", "bottom"};
    for (int i = 0; i < 4; ++i) {
        std::string fault = ParsePixel(names[i], args[i], edges[i]);
        if (!fault.empty()) {
            return fault;
        }
    }
    rect.rect = DisplayRect{edges[0], edges[1], edges[2], edges[3]};
    action = rect;
    return {};
}

std::string ParseClick(const Tokens& args, SceneAction& action) {
    ClickDirective click{};
    std::string fault = ParsePixel("x", args[0], click.px);
    if (fault.empty()) {
        fault = ParsePixel("y", args[1], click.py);
    }
    if (fault.empty()) {
        fault = ParseTick(args[2], click.tick);
    }
    action = click;
    return fault;
}

std::string ParseRain(const Tokens& args, SceneAction& action) {
    RainDirective rain{};
    std::string fault = ParseTick(args[0], rain.tick);
    action = rain;
    return fault;
}

std::string ParseNow(const Tokens& args, SceneAction& action) {
    NowDirective now{};
    std::string fault = ParseTick(args[0], now.tick);
    action = now;
    return fault;
}

struct DirectiveForm {
    std::string_view name;
    int argCount; // -1: any number, the parser checks them itself
    std::string_view usage;
    std::string (*parse)(const Tokens& args, SceneAction& action);
};

constexpr std::array<DirectiveForm, 7> kForms = {{
    {"grid", 2, "grid W H", ParseGrid},
    {"options", -1, "options [drift] [spectrum] [color]", ParseOptions},
    {"drop", 3, "drop X Y TICK", ParseDrop},
    {"rect", 4, "rect L T R B", ParseRect},
    {"click", 3, "click PX PY TICK", ParseClick},
    {"rain", 1, "rain TICK", ParseRain},
    {"now", 1, "now TICK", ParseNow},
}};

const DirectiveForm* FindForm(std::string_view name) {
    for (const DirectiveForm& form : kForms) {
        if (form.name == name) {
            return &form;
        }
    }
    return nullptr;
}

std::string CountFault(const DirectiveForm& form, std::size_t given) {
    const char* const plural = form.argCount == 1 ? " argument" : " arguments";
    return std::string(form.name) + " takes " + std::to_string(form.argCount) + plural + " (" +
           std::string(form.usage) + "), not " + std::to_string(given);
}

} // namespace

bool CSceneScript::Parse(std::istream& in) {
    m_directives.clear();
    m_nFrames = 0;
    m_nLines = 0;
    m_strError.clear();
    std::string text;
    while (std::getline(in, text)) {
        ++m_nLines;
        if (!ParseLine(m_nLines, text)) {
            return false;
        }
    }
    if (in.bad()) {
        return Fail(m_nLines + 1, "the script could not be read to its end");
    }
    return true;
}

bool CSceneScript::ParseLine(int line, std::string_view text) {
    text = text.substr(0, text.find(kCommentStart));
    if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1); // a script saved with Windows line ends
    }
    Tokens tokens = Split(text);
    if (tokens.empty()) {
        return true;
    }
    const DirectiveForm* form = FindForm(tokens.front());
    if (form == nullptr) {
        return Fail(line, "unknown directive " + Quote(tokens.front()) +
                              " (expected grid, options, drop, rect, click, rain or now)");
    }
    const Tokens args(tokens.begin() + 1, tokens.end());
    if (form->argCount >= 0 && args.size() != static_cast<std::size_t>(form->argCount)) {
        return Fail(line, CountFault(*form, args.size()));
    }
    SceneDirective directive{line, {}};
    const std::string fault = form->parse(args, directive.action);
    if (!fault.empty()) {
        return Fail(line, fault);
    }
    if (std::holds_alternative<NowDirective>(directive.action)) {
        ++m_nFrames;
    }
    m_directives.push_back(directive);
    return true;
}

bool CSceneScript::Fail(int line, const std::string& what) {
    m_strError = std::to_string(line) + ": " + what;
    return false;
}
