#include "path_template.h"
#include "platform/path_separator.h"
#include "platform/utf8_path.h"
#include "utf8_sequence.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <utility>

namespace lp {

namespace {

constexpr std::array<std::pair<std::string_view, Placeholder>, 12> kPlaceholders{{
    {"name", Placeholder::Name},
    {"ext", Placeholder::Ext},
    {"year", Placeholder::Year},
    {"month", Placeholder::Month},
    {"day", Placeholder::Day},
    {"taken.year", Placeholder::TakenYear},
    {"taken.month", Placeholder::TakenMonth},
    {"taken.day", Placeholder::TakenDay},
    {"today.year", Placeholder::TodayYear},
    {"today.month", Placeholder::TodayMonth},
    {"today.day", Placeholder::TodayDay},
    {"folder", Placeholder::Folder},
}};

std::optional<Placeholder> placeholderNamed(std::string_view name) {
    for (const auto& [text, placeholder] : kPlaceholders)
        if (text == name)
            return placeholder;
    return std::nullopt;
}

// A separator of this system's paths: on Linux "\\" is a character of a name like any other.
bool isSeparator(char c) {
    return platform::kPathSeparators.find(c) != std::string_view::npos;
}

// A character that stands between folders on either system: no value made from a file holds
// one, so that a name keeps its meaning on a disk that goes to the other.
bool separatesAnywhere(char c) {
    return c == '/' || c == '\\';
}

struct LocalDate {
    int year, month, day;
};

LocalDate dateOf(double dateTime) {
    using namespace std::chrono;
    const sys_days start =
        sys_days{1899y / December / 30} + days{static_cast<int>(std::floor(dateTime))};
    const year_month_day date{start};
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

std::string padded(int number, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, number);
    return text;
}

} // namespace

std::vector<std::string_view> PlaceholderNames() {
    std::vector<std::string_view> names;
    names.reserve(std::size(kPlaceholders));
    for (const auto& entry : kPlaceholders)
        names.push_back(entry.first);
    return names;
}

TemplateFacts FactsOfName(std::string_view fileName, double written, double today) {
    TemplateFacts facts;
    const auto dot = fileName.rfind('.');
    // A name that only starts with a dot (".profile") has no extension.
    if (dot == std::string_view::npos || dot == 0) {
        facts.name = fileName;
    } else {
        facts.name = fileName.substr(0, dot);
        facts.ext = fileName.substr(dot + 1);
        facts.extensionDot = true;
    }
    facts.written = written;
    facts.today = today;
    return facts;
}

std::string EscapeTemplateText(std::string_view literal) {
    std::string escaped;
    for (char c : literal) {
        escaped += c;
        if (c == '{')
            escaped += '{';
    }
    return escaped;
}

std::string CleanTemplateValue(std::string_view value) {
    std::string clean;
    while (!value.empty()) {
        const std::size_t length = Utf8SequenceLength(value);
        const auto c = static_cast<unsigned char>(value[0]);
        // Control characters: C0, DEL, and C1 (U+0080 to U+009F, 0xC2 0x80 to 0xC2 0x9F).
        const bool control =
            c < 0x20 || c == 0x7F ||
            (length == 2 && c == 0xC2 && static_cast<unsigned char>(value[1]) < 0xA0);
        if (length == 0 || control || separatesAnywhere(value[0])) {
            clean += '_';
            value.remove_prefix(length == 0 ? 1 : length);
            continue;
        }
        clean.append(value.substr(0, length));
        value.remove_prefix(length);
    }
    return clean;
}

std::string PathBelow(std::string folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (folder.empty() || !isSeparator(folder.back()))
            folder += platform::kPathSeparator;
        folder += name;
    }
    return folder;
}

namespace {

void cutToCharacter(std::string& text, std::size_t most) {
    text.resize(CharacterCut(text, most));
}

// The longest extension a name cut to fit keeps whole.
constexpr std::size_t kLongestKeptExtension = 32;

} // namespace

std::string FitName(std::string name) {
    cutToCharacter(name, kLongestName);
    if (name == "." || name == "..")
        return "_";
    return name;
}

std::string FitFileName(std::string name) {
    const auto dot = name.rfind('.');
    if (name.size() <= kLongestName || dot == std::string::npos || dot == 0 ||
        name.size() - dot > kLongestKeptExtension)
        return FitName(std::move(name));
    // The part before the extension gives way, so the file still opens with its program.
    const std::string extension = name.substr(dot);
    name.resize(dot);
    cutToCharacter(name, kLongestName - extension.size());
    return name + extension;
}

std::variant<PathTemplate, TemplateRefusal> PathTemplate::Parse(std::string_view stored,
                                                                Kind kind) {
    // First the pieces, components split at separators of the fixed text.
    std::vector<Component> components(1);
    PathTemplate parsed;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const char c = stored[i];
        if (c == '{' && i + 1 < stored.size() && stored[i + 1] == '{') {
            ++i;
        } else if (c == '{') {
            const auto close = stored.find('}', i + 1);
            if (close == std::string_view::npos)
                return TemplateRefusal{"a \"{\" is not closed by \"}\" (write \"{{\" for a \"{\")"};
            const std::string_view name = stored.substr(i + 1, close - i - 1);
            const auto placeholder = placeholderNamed(name);
            if (!placeholder)
                return TemplateRefusal{"{" + std::string(name) +
                                           "} is no placeholder Larchpost knows",
                                       std::string(name)};
            components.back().push_back({{}, placeholder});
            parsed.hasPlaceholders_ = true;
            parsed.usesTaken_ = parsed.usesTaken_ || (*placeholder >= Placeholder::TakenYear &&
                                                      *placeholder <= Placeholder::TakenDay);
            parsed.usesWritten_ = parsed.usesWritten_ || (*placeholder >= Placeholder::Year &&
                                                          *placeholder <= Placeholder::TakenDay);
            parsed.usesName_ = parsed.usesName_ || *placeholder == Placeholder::Name;
            i = close;
            continue;
        } else if (isSeparator(c)) {
            if (kind == Kind::Name)
                return TemplateRefusal{"a name holds no \"" + std::string(1, c) + "\""};
            if (parsed.hasPlaceholders_) {
                components.emplace_back();
                continue;
            }
        }
        if (components.back().empty() || components.back().back().placeholder)
            components.back().push_back({});
        components.back().back().text += c;
    }
    if (kind == Kind::Name) {
        parsed.below_ = std::move(components);
        return parsed;
    }
    // The fixed folder: everything up to the last separator before the first placeholder.
    Component& first = components.front();
    std::string fixed = first.empty() || first.front().placeholder ? "" : first.front().text;
    if (!parsed.hasPlaceholders_) {
        parsed.fixedFolder_ = std::move(fixed);
        return parsed;
    }
    std::size_t cut = fixed.size();
    while (cut > 0 && !isSeparator(fixed[cut - 1]))
        --cut;
    if (cut == 0)
        return TemplateRefusal{"a destination starts with a folder that exists, never with a "
                               "placeholder"};
    // A folder relative to wherever the program was started would make folders there.
    if (!platform::Utf8Path(fixed.substr(0, cut)).has_root_directory())
        return TemplateRefusal{"a destination made from the file starts with a full path"};
    // A root ("/", "C:\\") keeps its separator.
    const bool root = cut == 1 || fixed[cut - 2] == ':';
    parsed.fixedFolder_ = fixed.substr(0, root ? cut : cut - 1);
    if (cut == first.front().text.size())
        first.erase(first.begin());
    else
        first.front().text.erase(0, cut);
    for (const Component& component : components)
        if (component.size() == 1 && !component.front().placeholder &&
            (component.front().text == "." || component.front().text == ".."))
            return TemplateRefusal{"the folders made from the file never climb with \".\" or "
                                   "\"..\""};
    parsed.below_ = std::move(components);
    return parsed;
}

std::string PathTemplate::expand(const Component& component, const TemplateFacts& facts,
                                 bool& altered) const {
    std::string text;
    // A value that holds "_" may have been made from another ("\xFF" and "_" both give "_"):
    // the place it names may hold a file of another name.
    const auto cleaned = [&](std::string_view value) {
        std::string clean = CleanTemplateValue(value);
        altered = altered || clean != value || clean.find('_') != std::string::npos;
        return clean;
    };
    const auto dateOr = [&](const std::optional<double>& taken) {
        return dateOf(taken.value_or(facts.written));
    };
    for (const Piece& piece : component) {
        if (!piece.placeholder) {
            text += piece.text;
            continue;
        }
        switch (*piece.placeholder) {
        case Placeholder::Name:
            text += cleaned(facts.name);
            break;
        case Placeholder::Ext:
            // The dot written before it goes with an extension the name does not have.
            if (facts.ext.empty() && !facts.extensionDot && text.ends_with('.'))
                text.pop_back();
            text += cleaned(facts.ext);
            break;
        case Placeholder::Year:
            text += padded(dateOf(facts.written).year, 4);
            break;
        case Placeholder::Month:
            text += padded(dateOf(facts.written).month, 2);
            break;
        case Placeholder::Day:
            text += padded(dateOf(facts.written).day, 2);
            break;
        case Placeholder::TakenYear:
            text += padded(dateOr(facts.taken).year, 4);
            break;
        case Placeholder::TakenMonth:
            text += padded(dateOr(facts.taken).month, 2);
            break;
        case Placeholder::TakenDay:
            text += padded(dateOr(facts.taken).day, 2);
            break;
        case Placeholder::TodayYear:
            text += padded(dateOf(facts.today).year, 4);
            break;
        case Placeholder::TodayMonth:
            text += padded(dateOf(facts.today).month, 2);
            break;
        case Placeholder::TodayDay:
            text += padded(dateOf(facts.today).day, 2);
            break;
        case Placeholder::Folder: {
            // Each component cleaned on its own; "/" kept between them, marked here by a NUL,
            // which no value and no path can hold, so that no value can pass for a separator.
            std::string_view rest = facts.subFolder;
            bool firstPart = true;
            while (!rest.empty()) {
                const auto slash = rest.find('/');
                if (!firstPart)
                    text += '\0';
                const std::string_view part = rest.substr(0, slash);
                const std::string fitted = FitName(cleaned(part));
                altered = altered || fitted.size() != part.size();
                text += fitted;
                firstPart = false;
                rest =
                    slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
            }
            break;
        }
        }
    }
    return text;
}

bool PathTemplate::keepsPlace() const {
    return below_.size() == 1 && below_.front().size() == 1 &&
           below_.front().front().placeholder == Placeholder::Folder;
}

std::string PathTemplate::madeFoldersPattern(const TemplateFacts& facts) const {
    // Each component is expanded with the file's name and extension, its other placeholders
    // kept as marks that no cleaned value holds, and then read as a regular expression.
    constexpr char kMark = '\x01';
    std::string pattern;
    for (const Component& component : below_) {
        Component marked;
        bool onlyFolders = true; // then it may come out empty, and make no folder
        for (const Piece& piece : component) {
            // Every placeholder after the extension in the list is a date or {folder}.
            if (!piece.placeholder || *piece.placeholder < Placeholder::Year) {
                marked.push_back(piece);
                continue;
            }
            const Placeholder value = *piece.placeholder;
            const bool year = value == Placeholder::Year || value == Placeholder::TakenYear ||
                              value == Placeholder::TodayYear;
            const char kind = value == Placeholder::Folder ? 'F' : year ? 'Y' : 'D';
            onlyFolders = onlyFolders && kind == 'F';
            marked.push_back({std::string{kMark, kind}});
        }
        bool altered = false;
        const std::string text = expand(marked, facts, altered);
        std::string made;
        bool empty = true;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == kMark && i + 1 < text.size()) {
                const char kind = text[++i];
                made += kind == 'F' ? ".*" : kind == 'Y' ? "[0-9]{4,}" : "[0-9]{2,}";
                continue;
            }
            empty = false;
            if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos)
                made += '\\';
            made += c;
        }
        if (made.empty())
            continue; // a component that comes out empty makes no folder
        pattern += empty && onlyFolders ? "(?:" + made + "/)?" : made + "/";
    }
    return pattern;
}

std::vector<std::string> PathTemplate::foldersBelow(const TemplateFacts& facts,
                                                    bool* altered) const {
    std::vector<std::string> folders;
    bool changed = false;
    for (const Component& component : below_) {
        const std::string text = expand(component, facts, changed);
        std::string_view rest = text;
        for (;;) {
            const auto mark = rest.find('\0');
            const std::string_view made = rest.substr(0, mark);
            std::string folder = FitName(std::string(made));
            changed = changed || folder != made;
            if (!folder.empty())
                folders.push_back(std::move(folder));
            if (mark == std::string_view::npos)
                break;
            rest.remove_prefix(mark + 1);
        }
    }
    if (altered)
        *altered = changed;
    return folders;
}

std::optional<std::string> PathTemplate::name(const TemplateFacts& facts, bool* altered) const {
    std::string text;
    bool changed = false;
    for (const Component& component : below_)
        text += expand(component, facts, changed);
    for (char& c : text)
        if (c == '\0')
            c = '_';
    const std::size_t made = text.size();
    text = FitFileName(std::move(text));
    if (altered)
        *altered = changed || text.size() != made;
    if (text.empty())
        return std::nullopt;
    return text;
}

} // namespace lp
