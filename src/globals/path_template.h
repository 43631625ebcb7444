#pragma once
// Destinations and names made from the file: "/home/me/Pictures/{taken.year}/{taken.month}" or
// "{year}-{month}-{day} {name}.{ext}". A template is parsed once into fixed text and placeholders
// and expanded for each file from a few facts about it. In the stored text "{" starts a
// placeholder and "{{" stands for "{"; a "}" outside a placeholder stands for itself.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lp {

enum class Placeholder : std::uint8_t {
    Name,
    Ext,
    Year,
    Month,
    Day,
    TakenYear,
    TakenMonth,
    TakenDay,
    TodayYear,
    TodayMonth,
    TodayDay,
    Folder,
};

// Every placeholder's name as it is typed between the braces, in the order the dialogs list them.
std::vector<std::string_view> PlaceholderNames();

// What a template is expanded from. Dates are local date-times (whole days since 1899-12-30).
struct TemplateFacts {
    std::string name; // the file's name without its extension
    std::string ext;  // its extension without the dot
    // Whether the name has the dot of an extension ("end." has, with an empty one; "README" and
    // ".profile" have none): "{name}.{ext}" gives back the very name either way.
    bool extensionDot = false;
    double written = 0.0;
    std::optional<double> taken = std::nullopt; // the capture date a photo carries
    double today = 0.0;
    std::string subFolder = {}; // below the watched folder, components joined by "/"; empty at top
};

// The facts of a file name: name and extension split at its last dot.
TemplateFacts FactsOfName(std::string_view fileName, double written, double today);

// Why a template was refused, in words; unknownName holds the placeholder that is not known.
struct TemplateRefusal {
    std::string reason;
    std::string unknownName = {};
};

class PathTemplate {
public:
    enum class Kind : std::uint8_t {
        Destination, // a folder path: the fixed folder, then folders made from the file
        Name,        // one file name, never a path
    };

    static std::variant<PathTemplate, TemplateRefusal> Parse(std::string_view stored, Kind kind);

    bool hasPlaceholders() const { return hasPlaceholders_; }
    bool usesTaken() const { return usesTaken_; }
    bool usesWritten() const { return usesWritten_; }
    // Whether the file's own name goes into what is made: without it, many files make one name.
    bool usesName() const { return usesName_; }
    // Whether a destination gives each file of the watched folder (its fixed folder) the place
    // it is in: "{folder}" alone.
    bool keepsPlace() const;
    // An ECMAScript regular expression of the folders below fixedFolder that the template may
    // have made for a file of this name and extension, with "/" after each ("2024/a/b/"): its
    // {folder} and date placeholders stand for any value of their shape, since the file may
    // have come from any sub-folder, on any day, and been written to since.
    std::string madeFoldersPattern(const TemplateFacts& facts) const;

    // A destination's folder before its first placeholder, which must exist: the whole path when
    // it has none.
    const std::string& fixedFolder() const { return fixedFolder_; }

    // The folders below fixedFolder for the file, each a single cleaned name (never empty, ".",
    // ".." or longer than 255 bytes); empty for a template without placeholders. altered, when
    // given, says whether any value had to be cleaned or cut to fit, or holds the "_" that the
    // cleaning gives: then files that differ in their names may be given one place.
    std::vector<std::string> foldersBelow(const TemplateFacts& facts,
                                          bool* altered = nullptr) const;

    // A name template's name for the file; nothing when it comes out empty. altered as above.
    std::optional<std::string> name(const TemplateFacts& facts, bool* altered = nullptr) const;

private:
    struct Piece {
        std::string text; // fixed text, used when the piece is no placeholder
        std::optional<Placeholder> placeholder = std::nullopt;
    };
    using Component = std::vector<Piece>;

    std::string expand(const Component& component, const TemplateFacts& facts, bool& altered) const;

    std::string fixedFolder_;
    std::vector<Component> below_;
    bool hasPlaceholders_ = false;
    bool usesTaken_ = false;
    bool usesWritten_ = false;
    bool usesName_ = false;
};

// Literal text as a template spells it: every "{" doubled.
std::string EscapeTemplateText(std::string_view literal);

// A value made safe to stand in one file name: "/", "\", NUL, control characters and bytes that
// are no valid UTF-8 become "_".
std::string CleanTemplateValue(std::string_view value);

// folder with names appended, one separator between each (none doubled after a root).
std::string PathBelow(std::string folder, const std::vector<std::string>& names);

// A name cut to at most 255 bytes at a UTF-8 boundary, and "." or ".." made "_".
std::string FitName(std::string name);
// A file's name cut as FitName does, but where it has a short extension, before it, so that
// the extension stays.
std::string FitFileName(std::string name);

} // namespace lp
