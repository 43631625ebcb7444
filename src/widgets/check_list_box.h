#pragma once
#include <QListWidget>

namespace lp {

// A list whose lines carry a tick each and can be individually disabled (greyed, not tickable).
// After the user toggles a tick, the toggled line is made current and clickCheck is raised; at that
// moment checked(currentRow()) already shows the new state. Changes made through this class's own
// setters raise nothing. A line too long for the list is shortened in the middle and shown whole
// in its tooltip.
class TCheckListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TCheckListBox(QWidget* parent = nullptr);

    int addLine(const QString& text); // unticked and enabled; returns its index
    // The line's tooltip, its text unless given another.
    void setLineTip(int index, const QString& tip);
    void deleteLine(int index);
    void clearLines();

    // The highlighted line, -1 when none. A click on the empty part of the list takes the
    // highlight away while the current line stays, so commands ask for this, not currentRow().
    int selectedLine() const;

    bool checked(int index) const;
    void setChecked(int index, bool on);
    bool lineEnabled(int index) const;
    void setLineEnabled(int index, bool on);

    // Toggles a line as a mouse click on its tick or the space bar would. A disabled line ignores
    // it.
    void toggleByUser(int index);

signals:
    void clickCheck();

private:
    void onItemChanged(QListWidgetItem* item);
    class Quiet;
    int quiet_ = 0;
};

} // namespace lp
