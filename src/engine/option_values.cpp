#include "option_values.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <utility>

namespace lp {

namespace {

constexpr std::array<std::pair<NameClash, std::string_view>, 3> kNameClashTexts{{
    {NameClash::Replace, "replace"},
    {NameClash::KeepBoth, "keep-both"},
    {NameClash::Leave, "leave"},
}};

bool sameLetters(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Reads the values one by one, saying each one not understood.
class OptionsReader {
public:
    OptionsReader(const OptionLookup& lookup, const std::string& place, const MessageSink& say)
        : lookup_(lookup), place_(place), say_(say) {}

    NameClash nameClash() const {
        const auto text = read(kNameClashOption);
        if (!text)
            return NameClash::Replace;
        for (const auto& [value, spelled] : kNameClashTexts)
            if (sameLetters(*text, spelled))
                return value;
        refuse(kNameClashOption, *text, "replace, keep-both or leave", "replace");
        return NameClash::Replace;
    }

    bool flag(const char* name, bool byDefault = false) const {
        const auto text = read(name);
        if (!text)
            return byDefault;
        if (sameLetters(*text, "true"))
            return true;
        if (sameLetters(*text, "false"))
            return false;
        refuse(name, *text, "false or true", byDefault ? "true" : "false");
        return byDefault;
    }

private:
    std::optional<std::string> read(const char* name) const {
        auto text = lookup_ ? lookup_(name) : std::nullopt;
        if (text)
            *text = trimmed(*text);
        return text;
    }

    void refuse(const char* name, const std::string& text, const char* understood,
                const char* used) const {
        if (say_)
            say_("larchpost: " + place_ + ": [Options] " + name + "=" + text +
                 " is not understood (" + understood + "); " + used + " is used.");
    }

    const OptionLookup& lookup_;
    const std::string& place_;
    const MessageSink& say_;
};

} // namespace

StoredOptions ReadOptionValues(const OptionLookup& lookup, const std::string& place,
                               const MessageSink& say) {
    const OptionsReader reader(lookup, place, say);
    StoredOptions options;
    options.policy.nameClash = reader.nameClash();
    options.policy.deleteToTrash = reader.flag(kDeleteToTrashOption);
    options.paused = reader.flag(kPausedOption);
    options.notifyFailures = reader.flag(kNotifyFailuresOption, true);
    options.notifyEverySorted = reader.flag(kNotifySortedOption);
    return options;
}

std::string OptionText(NameClash clash) {
    for (const auto& [value, text] : kNameClashTexts)
        if (value == clash)
            return std::string(text);
    return std::string(kNameClashTexts.front().second);
}

std::string OptionText(bool flag) {
    return flag ? "true" : "false";
}

} // namespace lp
