#include "keyboard_access.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSet>

namespace lp {

namespace {

// The letter after a single '&' of text, lower-cased, or a null character.
QChar mnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toLower();
        ++i; // "&&" is a shown ampersand
    }
    return {};
}

QSet<QChar> lettersInUse(const QWidget& window) {
    QSet<QChar> used;
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        if (const QChar letter = mnemonicOf(button->text()); !letter.isNull())
            used.insert(letter);
    // The menu bar's Alt letters open its menus.
    for (const QMenuBar* bar : window.findChildren<QMenuBar*>())
        for (const QAction* menu : bar->actions())
            if (const QChar letter = mnemonicOf(menu->text()); !letter.isNull())
                used.insert(letter);
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (label->buddy() != nullptr)
            if (const QChar letter = mnemonicOf(label->text()); !letter.isNull())
                used.insert(letter);
    return used;
}

// Where in caption the mnemonic goes: the first free initial of a word, else the first free
// letter; -1 when every letter is taken.
qsizetype mnemonicPlace(const QString& caption, const QSet<QChar>& used) {
    auto freeLetter = [&](qsizetype i) {
        return caption[i].isLetterOrNumber() && !used.contains(caption[i].toLower());
    };
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const bool startsWord = i == 0 || !caption[i - 1].isLetterOrNumber();
        if (startsWord && freeLetter(i))
            return i;
    }
    for (qsizetype i = 0; i < caption.size(); ++i)
        if (freeLetter(i))
            return i;
    return -1;
}

class FocusKeeper : public QObject {
public:
    explicit FocusKeeper(QWidget& window) : QObject(&window), window_(window) {}

    void watch(QPushButton& button) { button.installEventFilter(this); }

protected:
    // Qt hands the focus of a control being disabled to the next one in the chain where it
    // can, and otherwise clears it: then the focus goes out with the button already disabled,
    // and by the time the change of state is told nothing in the window holds the focus.
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button == nullptr)
            return QObject::eventFilter(watched, event);
        if (event->type() == QEvent::FocusOut && !button->isEnabled())
            lostBy_ = button;
        if (event->type() == QEvent::EnabledChange && !button->isEnabled()) {
            if (lostBy_ == button && window_.focusWidget() == nullptr)
                passFocusOn(*button);
            lostBy_ = nullptr;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void passFocusOn(QPushButton& from) {
        // The neighbour before it first: after "Move Down" ends at the bottom, "Move Up" is
        // what the user wants next.
        for (QWidget* w = from.previousInFocusChain(); w != &from; w = w->previousInFocusChain())
            if (takesTabFocus(*w)) {
                w->setFocus(Qt::BacktabFocusReason);
                return;
            }
    }

    bool takesTabFocus(const QWidget& w) const {
        return w.window() == &window_ && w.isEnabled() && w.isVisibleTo(&window_) &&
               (w.focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
    }

    QWidget& window_;
    QPointer<QPushButton> lostBy_;
};

} // namespace

void giveButtonMnemonics(QWidget& window) {
    QSet<QChar> used = lettersInUse(window);
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        const QString caption = button->text();
        if (!mnemonicOf(caption).isNull())
            continue;
        const qsizetype place = mnemonicPlace(caption, used);
        if (place < 0)
            continue;
        used.insert(caption[place].toLower());
        button->setText(caption.left(place) + QLatin1Char('&') + caption.mid(place));
    }
}

void keepFocusWhenDisabled(QWidget& window) {
    auto* keeper = new FocusKeeper(window);
    for (QPushButton* button : window.findChildren<QPushButton*>())
        keeper->watch(*button);
}

} // namespace lp
