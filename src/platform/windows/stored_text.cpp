#include "platform/stored_text.h"

#include "windows_support.h"

#include <climits>

namespace lp::platform {

namespace {

enum class Encoding { Utf8, Ansi, Mixed };

// The length of the UTF-8 sequence at text[at], 0 when none starts there.
std::size_t utf8SequenceAt(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    }
    if (length == 0 || at + length > text.size())
        return 0;
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return length;
}

// UTF-8 when every byte beyond ASCII belongs to a UTF-8 sequence; ANSI when none does; mixed
// otherwise, which no program wrote whole and so is left alone.
Encoding encodingOf(const std::string& text) {
    bool utf8Seen = false, otherSeen = false;
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
        } else if (const std::size_t length = utf8SequenceAt(text, at)) {
            utf8Seen = true;
            at += length;
        } else {
            otherSeen = true;
            ++at;
        }
    }
    if (!otherSeen)
        return Encoding::Utf8;
    return utf8Seen ? Encoding::Mixed : Encoding::Ansi;
}

} // namespace

void StoredTextToUtf8(std::string& text) {
    // A text with a damaged spot among UTF-8 is not taken for ANSI: that would turn every name
    // outside ASCII in it into other letters, which a save would then keep.
    if (encodingOf(text) != Encoding::Ansi || text.size() > static_cast<std::size_t>(INT_MAX))
        return;
    const int size = static_cast<int>(text.size());
    const int wideSize = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (wideSize <= 0)
        return;
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), wideSize);
    text = windows::toUtf8(wide);
}

} // namespace lp::platform
