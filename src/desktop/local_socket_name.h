#pragma once
// The name a local server listens on, made from the file the socket would be on this system.

#include <QString>

namespace lp {

// On Linux the socket is that very file, in a folder of the user's own. A Windows pipe name may
// hold no backslash, so there it is the file's path with every separator and the drive's colon
// made an underscore: still one name per user, as the path lies in the user's profile.
QString localSocketName(const QString& socketFile);

} // namespace lp
