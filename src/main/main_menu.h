#pragma once
// The main window's menu bar: File, Options, Links and Help. The window connects the entries to
// its handlers; the Links entries carry the section of the help file each one opens.

#include <QString>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace lp {

// One entry of the Links menu: its object name, caption and the help file's section it opens.
struct LinksEntry {
    const char* name;
    const char* caption;
    const char* helpSection; // the name of the section's anchor
};

// The Links menu's entries in order; an entry without a name stands for the separator.
const std::vector<LinksEntry>& linksEntries();

struct MainMenu {
    QMenu* File1 = nullptr;
    QAction* Activity1 = nullptr;
    QAction* SortNow1 = nullptr;      // the highlighted folder's files, as if each had just arrived
    QAction* PauseSorting2 = nullptr; // the tray menu's "Pause Sorting", in step with it
    QAction* Close1 = nullptr;
    QMenu* Options1 = nullptr;
    QAction* AdditionalOptions1 = nullptr;
    QMenu* Links1 = nullptr;
    std::vector<QAction*> links; // in the order of linksEntries(), separators left out
    QMenu* Help1 = nullptr;
    QAction* Contents1 = nullptr;
    QAction* About1 = nullptr;
};

// Fills bar with the four menus and their entries.
MainMenu buildMainMenu(QMenuBar& bar);

} // namespace lp
