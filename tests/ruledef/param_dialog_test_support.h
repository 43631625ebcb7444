#pragma once
// Helpers shared by the parameter dialog tests: finding controls by name, pressing buttons, and
// recording the warnings that would have been shown.

#include "widgets/ui_seams.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace lp::testing {

// Records every warning box while alive; a warning the user may pass over is answered with
// goOn and recorded too.
class WarningLog {
public:
    explicit WarningLog(bool goOn = true) {
        setWarningHook([this](const WarningShown& shown) { shown_.push_back(shown); });
        setGoOnHook([this, goOn](const WarningShown& shown) {
            shown_.push_back(shown);
            return goOn;
        });
    }
    ~WarningLog() {
        setWarningHook({});
        setGoOnHook([](const WarningShown&) { return true; });
    }
    WarningLog(const WarningLog&) = delete;
    WarningLog& operator=(const WarningLog&) = delete;

    const std::vector<WarningShown>& shown() const { return shown_; }
    QString lastText() const { return shown_.empty() ? QString() : shown_.back().text; }

private:
    std::vector<WarningShown> shown_;
};

// Answers every modal dialog with answer while alive; answer returns the dialog's result.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<int(QDialog&)> answer) {
        setModalHook([this, answer = std::move(answer)](QDialog& dialog) {
            ++opened_;
            dialog.show();
            return answer(dialog);
        });
    }
    ~ModalAnswer() { setModalHook({}); }
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    int opened() const { return opened_; }

private:
    int opened_ = 0;
};

template <typename T> T& control(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        ADD_FAILURE() << "no control " << name;
        throw std::runtime_error(name);
    }
    return *found;
}

inline QLineEdit& edit(QWidget& parent, const char* name) {
    return control<QLineEdit>(parent, name);
}

inline void press(QWidget& parent, const char* button) {
    QTest::mouseClick(&control<QPushButton>(parent, button), Qt::LeftButton);
}

// Types text into an edit, replacing what it held.
inline void type(QWidget& parent, const char* name, const QString& text) {
    QLineEdit& field = edit(parent, name);
    field.clear();
    field.setText(text);
}

} // namespace lp::testing
