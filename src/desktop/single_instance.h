#pragma once
// One Larchpost per user: the first instance holds a lock on a file in each folder of the user's
// guard that can serve (platform::InstanceGuardFolders: the same for every start of the user,
// whatever the environment it is started in, one of them there at any moment) and listens on a
// local socket in the last of them. A later instance finds a lock held, asks the first to come
// forward over the socket (on Windows a pipe named after that path), and ends. The
// lock is the system's and ends with its holder, so an instance that crashed or was killed never
// keeps a later one out.

#include "platform/problem.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace lp {

// The folders of this user's guard.
QStringList instanceFolders();

// Where the lock and the socket of `name` live in the guard's folder.
QString instanceLockPath(const QString& folder, const QString& name);
QString instanceSocketPath(const QString& folder, const QString& name);

// heldElsewhere is set when another instance holds `name` in one of folders (the user's guard
// folders; a test's own in tests). With activatePrevious, that instance is asked to come forward.
// Otherwise this process now holds the name in every folder that can serve, until the end of the
// run, or only for the check itself with closeAfterwards. The holder asking again finds the name
// held. A folder that cannot serve (a home that cannot be written) is passed over while another
// one serves; when none does, the guard could not be set up (no private folder for the lock file,
// or the file cannot be locked): the problem says why, and heldElsewhere is false.
Problem CheckAppAlreadyRunning(const QString& name, bool activatePrevious, bool closeAfterwards,
                               bool& heldElsewhere, const QStringList& folders = instanceFolders());
Problem CheckAppAlreadyRunning(const QString& name, bool activatePrevious, bool closeAfterwards,
                               bool& heldElsewhere, const QString& folder);

// What the holding instance does when a later one asks it to come forward (needs a running event
// loop). Without a handler the request is ignored.
void setActivationHandler(std::function<void()> handler);

// Gives the name up (end of the run; tests).
void releaseInstanceGuard();

} // namespace lp
