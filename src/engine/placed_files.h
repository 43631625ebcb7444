#pragma once
// The files a rename or a move inside a watched folder put where they are, noted from one run to
// the next: a rule that acts on every file each turn (more than N files, a total size) takes
// them up again neither in this run nor after a restart or a new login, as long as each is
// unchanged where it was put.

#include "globals/records.h"

#include <string>

namespace lp {

// <user state folder>/Larchpost/placed-files; empty when there is no user state folder.
std::string PlacedFilesPath();

// Gives each service of table the files noted at path for its folder. A note that cannot be read
// gives none: those files may be taken up once more, nothing else.
void ReadPlacedFiles(const std::string& path, ServiceTable& table);

// Notes the services' placed files at path when they differ from lastNoted, the text noted last
// (empty at the start of a run), which it then holds; with none left, removes the note.
void NotePlacedFiles(const std::string& path, const ServiceTable& table, std::string& lastNoted);

} // namespace lp
