#include "at_syntax.h"

#include <cctype>
#include <cstdlib>
#include <span>

namespace corvane::faxline {
namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

char Up(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// Splits at commas outside parentheses and quotes.
std::vector<std::string> TopLevelItems(const std::string& text) {
    std::vector<std::string> items(1);
    int depth = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (!quoted && c == '(') ++depth;
        if (!quoted && c == ')') --depth;
        if (!quoted && depth == 0 && c == ',') {
            items.emplace_back();
            continue;
        }
        items.back() += c;
    }
    return items;
}

bool ParseWhole(const std::string& text, int& out) {
    if (text.empty() || text.size() > 6) return false;
    for (char c : text)
        if (!IsDigit(c)) return false;
    out = std::atoi(text.c_str());
    return true;
}

// True when number lies in one of the alternatives of "0,1" or "0-5" or "1,3-5".
bool InAlternatives(int number, const std::string& alternatives) {
    size_t start = 0;
    while (start <= alternatives.size()) {
        const size_t comma = alternatives.find(',', start);
        const std::string item = alternatives.substr(
            start, comma == std::string::npos ? std::string::npos : comma - start);
        const size_t dash = item.find('-');
        int low = 0, high = 0;
        if (dash == std::string::npos) {
            if (ParseWhole(item, low) && number == low) return true;
        } else if (ParseWhole(item.substr(0, dash), low) &&
                   ParseWhole(item.substr(dash + 1), high) && number >= low && number <= high) {
            return true;
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return false;
}

bool ItemFits(const std::string& item, const std::string& range) {
    std::string inner = range;
    if (inner.size() >= 2 && inner.front() == '(' && inner.back() == ')')
        inner = inner.substr(1, inner.size() - 2);
    if (inner == "\"") {
        return item.size() >= 2 && item.front() == '"' && item.back() == '"' &&
               item.size() - 2 <= 20 && item.find('"', 1) == item.size() - 1;
    }
    int number = 0;
    return ParseWhole(item, number) && InAlternatives(number, inner);
}

}  // namespace

std::optional<std::vector<AtCommand>> ParseAtLine(const std::string& text) {
    std::vector<AtCommand> commands;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const char c = Up(text[i]);
        if (c == ' ' || c == ';') {
            ++i;
            continue;
        }
        AtCommand cmd;
        if (c == '+') {
            cmd.kind = AtCommand::Kind::Extended;
            size_t j = i + 1;
            while (j < n && std::isalnum(static_cast<unsigned char>(text[j])))
                cmd.name += Up(text[j++]);
            if (cmd.name.empty()) return std::nullopt;
            if (j < n && text[j] == '?') {
                cmd.op = AtCommand::Op::Query;
                ++j;
            } else if (j < n && text[j] == '=') {
                ++j;
                if (j < n && text[j] == '?') {
                    cmd.op = AtCommand::Op::Test;
                    ++j;
                } else {
                    cmd.op = AtCommand::Op::Set;
                    bool quoted = false;
                    while (j < n && (quoted || text[j] != ';')) {
                        if (text[j] == '"') quoted = !quoted;
                        cmd.value += text[j++];
                    }
                    if (quoted) return std::nullopt;
                }
            }
            // An extended command ends the line or is followed by ';'.
            if (j < n && text[j] != ';' && text[j] != ' ') return std::nullopt;
            i = j;
        } else if (c == 'D') {
            cmd.kind = AtCommand::Kind::Dial;
            cmd.letter = 'D';
            size_t j = i + 1;
            while (j < n && text[j] != ';') cmd.value += text[j++];
            i = j;
        } else if (c == 'S') {
            cmd.kind = AtCommand::Kind::SRegister;
            cmd.letter = 'S';
            size_t j = i + 1;
            std::string digits;
            while (j < n && IsDigit(text[j])) digits += text[j++];
            if (!ParseWhole(digits, cmd.number)) return std::nullopt;
            if (j < n && text[j] == '?') {
                cmd.op = AtCommand::Op::Query;
                ++j;
            } else if (j < n && text[j] == '=') {
                cmd.op = AtCommand::Op::Set;
                ++j;
                while (j < n && IsDigit(text[j])) cmd.value += text[j++];
            }
            i = j;
        } else if (c == '&' || std::isalpha(static_cast<unsigned char>(c))) {
            cmd.kind = c == '&' ? AtCommand::Kind::Ampersand : AtCommand::Kind::Basic;
            size_t j = i + 1;
            if (c == '&') {
                if (j >= n || !std::isalpha(static_cast<unsigned char>(text[j])))
                    return std::nullopt;
                cmd.letter = Up(text[j++]);
            } else {
                cmd.letter = c;
            }
            while (j < n && IsDigit(text[j])) cmd.value += text[j++];
            if (!cmd.value.empty() && !ParseWhole(cmd.value, cmd.number)) return std::nullopt;
            i = j;
        } else {
            return std::nullopt;
        }
        commands.push_back(std::move(cmd));
    }
    return commands;
}

bool ValueFits(const std::string& value, const std::string& ranges) {
    const bool compound = !ranges.empty() && ranges.front() == '(';
    const std::vector<std::string> groups =
        compound ? TopLevelItems(ranges) : std::vector<std::string>{ranges};
    std::vector<std::string> items = TopLevelItems(value);
    for (std::string& item : items) {
        while (!item.empty() && item.front() == ' ') item.erase(item.begin());
        while (!item.empty() && item.back() == ' ') item.pop_back();
    }
    if (items.size() > groups.size()) return false;
    if (!compound && (items.size() != 1 || items[0].empty())) return false;
    bool any = false;
    for (size_t k = 0; k < items.size(); ++k) {
        if (items[k].empty()) continue;  // sub-parameter left as it is
        if (!ItemFits(items[k], groups[k])) return false;
        any = true;
    }
    return any;
}

std::vector<int> SplitNumbers(const std::string& value) {
    std::vector<int> out;
    for (const std::string& item : TopLevelItems(value)) {
        int number = -1;
        std::string trimmed;
        for (char c : item)
            if (c != ' ') trimmed += c;
        out.push_back(ParseWhole(trimmed, number) ? number : -1);
    }
    return out;
}

bool ClassListed(const std::string& classes, const std::string& value) {
    for (const std::string& item : TopLevelItems(classes))
        if (item == value) return true;
    return false;
}

bool BasicCommandAllowed(const AtCommand& cmd) {
    struct Rule {
        char letter;
        int max;  // largest argument; -1: takes none
    };
    static const Rule kBasic[] = {{'A', -1}, {'E', 1}, {'H', 0},  {'I', 9}, {'L', 3},
                                  {'M', 3},  {'O', 0}, {'P', -1}, {'Q', 1}, {'T', -1},
                                  {'V', 1},  {'X', 4}, {'Z', 0}};
    static const Rule kAmpersand[] = {{'C', 1}, {'D', 3}, {'F', 0}, {'K', 6}, {'W', 0}};
    const bool basic = cmd.kind == AtCommand::Kind::Basic;
    for (const Rule& r :
         basic ? std::span<const Rule>(kBasic) : std::span<const Rule>(kAmpersand)) {
        if (r.letter != cmd.letter) continue;
        if (r.max < 0) return cmd.number < 0;
        return cmd.number <= r.max;
    }
    return false;
}

}  // namespace corvane::faxline
