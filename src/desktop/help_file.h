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

// Beside the executable first, then in <prefix>/share/larchpost/, the prefix being the folder
// above the executable's. When neither holds the file, a portable copy (an application folder the
// user may write) names the path beside the executable, an installed copy the installed path.
HelpFileLookup findHelpFile(const std::string& applicationFolder, bool applicationFolderWritable);

} // namespace lp
