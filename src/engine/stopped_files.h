#pragma once
// The files whose operations a run stopped before they were done (at the program's end, or found
// unfinished by the next start): they stay where they were, and the next start's cycles are to
// take them for new ones, not for files that were there, whichever program starts next.

#include <string>
#include <vector>

namespace lp {

// <user state folder>/Larchpost/stopped-files; empty when there is no user state folder.
std::string StoppedFilesPath();

// The whole paths noted at path; none when there is no such file.
std::vector<std::string> ReadStoppedFiles(const std::string& path);

// Adds files to the note at path; false when they could not be written down.
bool AddStoppedFiles(const std::string& path, const std::vector<std::string>& files);

} // namespace lp
