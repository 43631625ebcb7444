#include "wrap_labels.h"

#include <QLabel>
#include <QWidget>

#include <algorithm>

namespace lp {

int wrapLongLabels(QWidget& form, int designHeight) {
    QList<QLabel*> labels = form.findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    // Top to bottom, so that a label moved down by one above it is measured where it ends up.
    std::sort(labels.begin(), labels.end(),
              [](const QLabel* a, const QLabel* b) { return a->y() < b->y(); });
    int height = designHeight;
    for (QLabel* label : labels) {
        if (label->wordWrap() || label->sizeHint().width() <= label->width())
            continue;
        label->setWordWrap(true);
        const int gained = std::max(0, label->heightForWidth(label->width()) - label->height());
        if (gained == 0)
            continue;
        const int below = label->y() + label->height();
        for (QWidget* child : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child != label && child->y() >= below)
                child->move(child->x(), child->y() + gained);
        label->resize(label->width(), label->height() + gained);
        height += gained;
    }
    return height;
}

} // namespace lp
