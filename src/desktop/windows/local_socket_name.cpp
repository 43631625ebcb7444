#include "desktop/local_socket_name.h"

namespace lp {

QString localSocketName(const QString& socketFile) {
    QString name = socketFile;
    for (const QChar forbidden : {QLatin1Char('\\'), QLatin1Char('/'), QLatin1Char(':')})
        name.replace(forbidden, QLatin1Char('_'));
    return name;
}

} // namespace lp
