#pragma once
// The configuration file "bxconf.ini": a fixed sequence of lines mirroring the service table.

#include "message_sink.h"
#include "records.h"

#include <cstdint>
#include <string>
#include <system_error>

namespace lp {

// Writes the whole table to path, replacing the file atomically. Returns 0 on success, -2 when
// the file could not be written; the old file is then left whole. When the table was read from a
// file that could not be read whole, that file is kept under a ".bad" name as it is replaced.
std::int32_t WriteConfigFile(const std::string& path, ServiceTable& table);
// As above; error says why the file could not be written.
std::int32_t WriteConfigFile(const std::string& path, ServiceTable& table, std::error_code& error);

// Whether the table is saved as a version-2 file: it was read or saved as one, or it stores
// anything a version-1 file cannot say.
bool WritesVersionTwo(const ServiceTable& table);

// The file's whole content for the table: CR LF ended lines in the fixed writing order.
std::string FormatConfigFile(const ServiceTable& table);

// Reads path into the table. Returns 0 when the whole layout was read, -1 when the first line is
// not the main tag or reading had to stop early, -2 when the file cannot be opened. A file that
// exists but was not read whole sets setAsideBeforeSave, and sink is told once: the file, the
// line at which reading stopped and why. An unreadable version number is told on its own.
std::int32_t ReadConfigFile(const std::string& path, ServiceTable& table, const MessageSink& sink);

// Reads a file's whole content, as ReadConfigFile does once it has it: 0 or -1 as above.
std::int32_t ReadConfigContent(std::string content, ServiceTable& table, const MessageSink& sink);

} // namespace lp
