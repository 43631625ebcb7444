#pragma once
// The values the link-click handler and the parameter dialogs hand each other. They belong to the
// rule editor, not to any dialog: they outlive each dialog and keep their contents until the next
// link click overwrites them.

#include "globals/records.h"

#include <cstdint>
#include <string>

namespace lp {

struct ParamExchange {
    std::string caption;     // TfrmInput's window caption; also picks text or number mode
    std::string prompt;      // TfrmInput's label
    std::string currentText; // the clicked link's shown text; TfrmInput's typed text on OK,
                             // TfrmNewName's name on OK
    std::uint8_t comparison = cmpGreater; // cmpLess or cmpGreater
    std::int32_t sizeValue = -1;          // kilobytes, -1 not yet given
    std::int32_t daysValue = -1;          // days, -1 not yet given
    std::int32_t number = 0;              // TfrmInput's number on OK in number mode
    std::string chosenPath;               // TfrmPath's folder or TfrmLaunch's program on OK
    bool chosenTemplated = false;         // TfrmPath's folder holds placeholders ("{" doubled)
    std::string launchParams;
    std::string pathTarget; // "rMove" or "rCopy"
    bool anyCase = false;   // the extension list's letter case ignored, in and out of TfrmInput
};

// The rule editor's one set of exchange values.
ParamExchange& exchange();

} // namespace lp
