#pragma once
// Where a watched folder's own rules may have put files in its tree with destinations made from
// the file that make their folders in the watched folder itself ("<folder>/{year}/{folder}"):
// a file lying in such a place is the rules' own work, and no file of the tree, as the files in
// a fixed destination inside the tree are none. Else it would be sorted again, one folder
// deeper each time, or taken by another of the folder's rules (a delete after its copy).

#include "globals/path_template.h"
#include "globals/records.h"

#include <regex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lp {

class MadePlaces {
public:
    MadePlaces() = default;
    // Those of a folder watched with its sub-folders; none of a folder watched alone.
    explicit MadePlaces(const rServiceRules& service);

    bool empty() const { return made_.empty(); }
    // Whether the entry named path below the watched folder ("2021/a/x.pdf") lies in a sub-folder
    // where one of the destinations may have put it: of the shape its placeholders give, for a
    // file of that name. An entry at the top never does.
    bool hold(std::string_view path) const;

    bool operator==(const MadePlaces& other) const;

private:
    struct Made {
        std::string stored; // the destination as the rule holds it
        std::string lead;   // the watched folder below the destination's fixed folder, "" or "in/"
        PathTemplate shape;
    };
    std::vector<Made> made_;
    // Patterns by their text: the files of one extension share one.
    mutable std::unordered_map<std::string, std::regex> compiled_;
};

} // namespace lp
