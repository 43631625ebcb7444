#include "desktop/local_socket_name.h"

namespace lp {

QString localSocketName(const QString& socketFile) {
    return socketFile;
}

} // namespace lp
