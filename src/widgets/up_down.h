#pragma once
// Up/down arrows bound to an edit box holding a whole number. The arrows move the number by the
// step within [minimum, maximum] (wrapping only when asked); the edit box itself accepts any text,
// so a number typed outside the range stays as typed until an arrow is used.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace lp {

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);

    // Binds the arrows to edit (its text is set to the position) and puts them at its right edge.
    void setAssociate(QLineEdit* edit);
    void setRange(int minimum, int maximum);
    void setPosition(int position); // clamped to the range; shown in the associate
    void setIncrement(int step) { increment_ = step; }
    void setWrap(bool on) { wrap_ = on; }

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int position() const { return position_; }
    int increment() const { return increment_; }
    bool wrap() const { return wrap_; }

public slots:
    void stepUp() { stepBy(+1); }
    void stepDown() { stepBy(-1); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void stepBy(int direction);
    void takeAssociateText();

    QLineEdit* associate_ = nullptr;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    int increment_ = 1;
    bool wrap_ = false;
};

} // namespace lp
