#pragma once
// The two seams that make forms testable without a person: every warning box and every modal
// dialog, folder picker and file picker goes through here. Tests install answers; the program
// shows the real thing.

#include <QPoint>
#include <QString>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace lp {

// What a box looks like: a warning, or a confirmation-style box (the question mark), which a
// failure to open a document or page uses. Either has a single OK button.
enum class BoxKind { Warning, Confirmation };

// A box with a single OK button. With a corner, its top-left corner goes there (a dialog's
// refusal passes the dialog's top-left corner); without one it is centred on the screen.
void showWarning(QWidget* parent, const QString& text, std::optional<QPoint> topLeft,
                 BoxKind kind = BoxKind::Warning);

// Shorthand for a dialog's refusal: the box at the dialog's own top-left corner.
void refuse(QWidget& dialog, const QString& text);

// A dialog's warning that the user may pass over: the box at the dialog's top-left corner with
// Yes and No, No the default. Returns whether the user chose to go on.
bool warnBeforeGoingOn(QWidget& dialog, const QString& text);

// Shows dialog modally and returns its result (QDialog::Accepted or Rejected).
int runModal(QDialog& dialog);

// The folder picker: the chosen folder's full path, or nothing when cancelled.
std::optional<QString> pickFolder(QWidget* parent, const QString& title,
                                  const QString& startFolder);

// The open-file picker: the chosen file's full path, or nothing when cancelled. nameFilters are
// Qt filter strings, the first one selected.
std::optional<QString> pickFile(QWidget* parent, const QString& title, const QString& startFolder,
                                const QStringList& nameFilters);

// The open-file picker for a program: its first filter lists only the files the user may execute
// (and folders), its second every file. Tests answer it through the file picker hook, which is
// given these two filter texts.
std::optional<QString> pickProgram(QWidget* parent, const QString& title,
                                   const QString& startFolder);

// Test hooks. Each replaces the real thing while set; pass an empty function to restore it.
struct WarningShown {
    QString text;
    std::optional<QPoint> topLeft;
    BoxKind kind = BoxKind::Warning;
};
void setWarningHook(std::function<void(const WarningShown&)> hook);
void setModalHook(std::function<int(QDialog&)> hook);
// Answers warnBeforeGoingOn: true goes on. Without it, a warning hook that is set gets the box
// and the user goes on.
void setGoOnHook(std::function<bool(const WarningShown&)> hook);
void setFolderPickerHook(std::function<std::optional<QString>(const QString& startFolder)> hook);
void setFilePickerHook(
    std::function<std::optional<QString>(const QString& startFolder, const QStringList& filters)>
        hook);

} // namespace lp
