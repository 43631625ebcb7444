#include "program_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace lp {

QIcon programIcon() {
    // Made afresh for each caller: a pixmap must not outlive the application object, as a
    // function-level static would.
    QIcon icon;
    QSvgRenderer renderer(QStringLiteral(":/larchpost/larchpost.svg"));
    if (!renderer.isValid())
        return icon;
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace lp
