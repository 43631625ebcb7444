#pragma once
// The folder list's link to the service table: which lines it shows, and the table edits its
// commands make.

#include <cstddef>

namespace lp {

struct ServiceTable;
class TCheckListBox;

// Refills list with one line per user-defined service in table order, ticked when enabled; each
// line's tooltip tells the name whole and the folder it stands for.
void fillFolderList(TCheckListBox& list, const ServiceTable& table);

// Removes the record at index. The user-defined services after it move up one line (othernum
// − 1) and the custom count drops by one. An index outside the table changes nothing.
void removeUserService(ServiceTable& table, std::size_t index);

} // namespace lp
