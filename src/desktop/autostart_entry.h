#pragma once
// The auto-start entry, which starts Larchpost hidden when the user logs in: on Linux the file
// Larchpost.desktop in $XDG_CONFIG_HOME/autostart (default ~/.config/autostart), whose command
// line is the entry's value "<executable> startup"; on Windows the value "Larchpost" under
// HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run holding the same command.

#include "globals/message_sink.h"
#include "platform/problem.h"

#include <QString>
#include <optional>
#include <string>

namespace lp {

// What the options dialog's check box says the entry does on this system.
QString autoStartCaption();

// Where the entry lives, as the environment says now (on Windows, the registry value's path).
QString autostartFilePath();

// The running program's full path, the executable the entry starts.
QString executablePath();

// executable as one argument of a desktop entry's command line: quoted when it holds a space or
// another character with a meaning there, "%" doubled.
std::string quoteExecArgument(const std::string& executable);

// The command line the entry holds for executable: the quoted path followed by " startup".
std::string runEntryCommand(const QString& executable);

// The entry's command line as written in the file (desktop-file escapes undone); empty when the
// file does not exist or has no command line.
std::string readRunEntry();

// Writes the file with the command line for executable, creating the folder. Returns the failure
// with the system's message, nothing on success.
Problem writeRunEntry(const QString& executable);

// Removes the file; a file that is not there is fine. Returns the failure with the system's
// message, nothing on success.
Problem removeRunEntry();

// At the main window's creation: an entry whose command line lacks "startup" gains it, even with
// auto-start off; with auto-start on the entry is written anew for the current executable.
// Failures go to onError; the caller carries on.
void bringRunEntryInLine(bool autoStart, const QString& executable, const MessageSink& onError);

} // namespace lp
