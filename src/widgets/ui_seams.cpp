#include "ui_seams.h"
#include "keyboard_access.h"
#include "log_category.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QStringList>

namespace lp {

namespace {

std::function<void(const WarningShown&)>& warningHook() {
    static std::function<void(const WarningShown&)> hook;
    return hook;
}
std::function<int(QDialog&)>& modalHook() {
    static std::function<int(QDialog&)> hook;
    return hook;
}
std::function<bool(const WarningShown&)>& goOnHook() {
    static std::function<bool(const WarningShown&)> hook;
    return hook;
}
std::function<std::optional<QString>(const QString&)>& folderHook() {
    static std::function<std::optional<QString>(const QString&)> hook;
    return hook;
}
std::function<std::optional<QString>(const QString&, const QStringList&)>& fileHook() {
    static std::function<std::optional<QString>(const QString&, const QStringList&)> hook;
    return hook;
}

// A box or dialog over a window blocks only that window and the ones it belongs to, not the
// whole program: the tray icon and its menu keep working, so the program can always be shown or
// ended from there.
void blockOnlyItsWindow(QDialog& dialog) {
    if (dialog.parentWidget() != nullptr)
        dialog.setWindowModality(Qt::WindowModal);
}

} // namespace

void showWarning(QWidget* parent, const QString& text, std::optional<QPoint> topLeft,
                 BoxKind kind) {
    qCDebug(lcWidgets).noquote() << "box shown:" << text;
    if (warningHook()) {
        warningHook()(WarningShown{text, topLeft, kind});
        return;
    }
    const QMessageBox::Icon icon =
        kind == BoxKind::Confirmation ? QMessageBox::Question : QMessageBox::Warning;
    QMessageBox box(icon, QApplication::applicationName(), text, QMessageBox::Ok, parent);
    giveButtonMnemonics(box); // the desktop's "OK" may come without its Alt letter
    blockOnlyItsWindow(box);
    box.adjustSize();
    if (topLeft) {
        box.move(*topLeft);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        box.move(area.center() - QPoint(box.width() / 2, box.height() / 2));
    }
    box.exec();
}

void refuse(QWidget& dialog, const QString& text) {
    showWarning(&dialog, text, dialog.frameGeometry().topLeft());
}

bool warnBeforeGoingOn(QWidget& dialog, const QString& text) {
    qCDebug(lcWidgets).noquote() << "box shown:" << text;
    const QPoint topLeft = dialog.frameGeometry().topLeft();
    if (goOnHook())
        return goOnHook()(WarningShown{text, topLeft, BoxKind::Warning});
    if (warningHook()) { // answered like any other box: the user reads it and goes on
        warningHook()(WarningShown{text, topLeft, BoxKind::Warning});
        return true;
    }
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, &dialog);
    box.setDefaultButton(QMessageBox::No); // going back to the dialog is the safe choice
    giveButtonMnemonics(box);
    blockOnlyItsWindow(box);
    box.adjustSize();
    box.move(topLeft);
    return box.exec() == QMessageBox::Yes;
}

int runModal(QDialog& dialog) {
    if (modalHook())
        return modalHook()(dialog);
    blockOnlyItsWindow(dialog);
    return dialog.exec();
}

std::optional<QString> pickFolder(QWidget* parent, const QString& title,
                                  const QString& startFolder) {
    if (folderHook())
        return folderHook()(startFolder);
    QFileDialog dialog(parent, title, startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    blockOnlyItsWindow(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> pickFile(QWidget* parent, const QString& title, const QString& startFolder,
                                const QStringList& nameFilters) {
    if (fileHook())
        return fileHook()(startFolder, nameFilters);
    QFileDialog dialog(parent, title, startFolder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters);
    blockOnlyItsWindow(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

namespace {

// Lets through folders and, while asked to, only the files the user may execute.
class ExecutableFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setExecutablesOnly(bool on) {
        executablesOnly_ = on;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!executablesOnly_ || files == nullptr)
            return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }

private:
    bool executablesOnly_ = true;
};

} // namespace

std::optional<QString> pickProgram(QWidget* parent, const QString& title,
                                   const QString& startFolder) {
    const QStringList filters{QStringLiteral("Executable Files (*)"),
                              QStringLiteral("All Files (*)")};
    if (fileHook())
        return fileHook()(startFolder, filters);
    QFileDialog dialog(parent, title, startFolder);
    dialog.setOption(QFileDialog::DontUseNativeDialog); // a proxy model needs Qt's own dialog
    dialog.setFileMode(QFileDialog::ExistingFile);
    auto* filter = new ExecutableFilter(&dialog);
    dialog.setProxyModel(filter);
    dialog.setNameFilters(filters);
    QObject::connect(&dialog, &QFileDialog::filterSelected, filter,
                     [filter, first = filters.constFirst()](const QString& chosen) {
                         filter->setExecutablesOnly(chosen == first);
                     });
    blockOnlyItsWindow(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void setWarningHook(std::function<void(const WarningShown&)> hook) {
    warningHook() = std::move(hook);
}
void setModalHook(std::function<int(QDialog&)> hook) {
    modalHook() = std::move(hook);
}
void setGoOnHook(std::function<bool(const WarningShown&)> hook) {
    goOnHook() = std::move(hook);
}
void setFolderPickerHook(std::function<std::optional<QString>(const QString&)> hook) {
    folderHook() = std::move(hook);
}
void setFilePickerHook(
    std::function<std::optional<QString>(const QString&, const QStringList&)> hook) {
    fileHook() = std::move(hook);
}

} // namespace lp
