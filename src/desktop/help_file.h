#pragma once
// Finding the help file "larchpost.hlp": beside the executable, or, for an installed copy, in the
// installed data folder share/larchpost/.

#include <QString>
#include <string>

namespace lp {

struct HelpFileLookup {
    QString path; // the file found, or the full path where it was expected
    bool found = false;
};

// A portable copy (an application folder the user may write) looks only beside the executable.
// An installed copy looks there first, then in <prefix>/share/larchpost/, the prefix being the
// folder above the executable's; when neither holds the file, the installed path is named.
HelpFileLookup findHelpFile(const std::string& applicationFolder, bool applicationFolderWritable);

} // namespace lp
