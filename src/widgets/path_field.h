#pragma once
// A line edit for a path. While the user is not typing in it, a path too long for the field is
// shown shortened in the middle, so that both its start and its last name stay in sight, and the
// whole path is its tooltip. With the focus, it is an ordinary line edit.

#include <QLineEdit>

namespace lp {

class PathField : public QLineEdit {
    Q_OBJECT
public:
    explicit PathField(QWidget* parent = nullptr);

    // What the field shows while it has no focus: the text, or the text shortened in the middle
    // when it does not fit.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The room for text inside the frame and margins.
    QRect textRoom() const;
    void updateTip();
};

} // namespace lp
