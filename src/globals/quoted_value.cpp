#include "quoted_value.h"
#include "utf8_sequence.h"

#include <algorithm>

namespace lp {

std::string QuoteValue(std::string_view value) {
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted.push_back('"');
    const auto byteAt = [&](std::size_t at) { return static_cast<unsigned char>(value[at]); };
    const auto appendHex = [&](unsigned char byte) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        quoted.append("\\x").append(1, kDigits[byte >> 4]).append(1, kDigits[byte & 0xF]);
    };
    for (std::size_t at = 0; at < value.size();) {
        const unsigned char c = byteAt(at);
        // A name must not start a line of its own (it could pass for an operation), nor move the
        // cursor, clear the terminal or set its title; the escapes keep every byte recoverable.
        if (c == '\n' || c == '\r' || c == '\t') {
            quoted.append(c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t");
            ++at;
        } else if (c == '\\' || c == '"') {
            quoted.append(1, '\\').append(1, static_cast<char>(c));
            ++at;
        } else if (c < 0x20 || c == 0x7F) {
            appendHex(c);
            ++at;
        } else {
            const std::size_t length = Utf8SequenceLength(value.substr(at));
            const bool control = length == 2 && c == 0xC2 && byteAt(at + 1) <= 0x9F; // C1
            if (length == 0 || control) {
                for (const std::size_t end = at + std::max<std::size_t>(length, 1); at < end; ++at)
                    appendHex(byteAt(at));
            } else {
                quoted.append(value.substr(at, length));
                at += length;
            }
        }
    }
    quoted.push_back('"');
    return quoted;
}

std::optional<std::string> ReadQuotedValue(std::string_view& text) {
    if (text.empty() || text.front() != '"')
        return std::nullopt;
    const auto hexDigit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string value;
    for (std::size_t at = 1; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            text.remove_prefix(at + 1);
            return value;
        }
        if (c != '\\') {
            value.push_back(c);
            continue;
        }
        if (++at == text.size())
            break;
        switch (const char escaped = text[at]) {
        case '\\':
        case '"':
            value.push_back(escaped);
            break;
        case 'n':
            value.push_back('\n');
            break;
        case 'r':
            value.push_back('\r');
            break;
        case 't':
            value.push_back('\t');
            break;
        case 'x': {
            const int high = at + 1 < text.size() ? hexDigit(text[at + 1]) : -1;
            const int low = at + 2 < text.size() ? hexDigit(text[at + 2]) : -1;
            if (high < 0 || low < 0)
                return std::nullopt;
            value.push_back(static_cast<char>(high * 16 + low));
            at += 2;
            break;
        }
        default:
            return std::nullopt; // QuoteValue writes no other escape
        }
    }
    return std::nullopt; // no closing quote
}

} // namespace lp
