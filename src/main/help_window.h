#pragma once
// The program's own help window: the help file's HTML in a browser pane, opened at its start or
// at one of its sections.

#include <QDialog>

class QTextBrowser;
class QUrl;

namespace lp {

class TfrmHelp : public QDialog {
    Q_OBJECT
public:
    explicit TfrmHelp(QWidget* parent = nullptr);

    // Loads the help file at its default topic (its beginning), or at the section whose anchor is
    // named section. Links within it and to its own folder are followed in the window; web
    // addresses go to the desktop's browser.
    void openFile(const QString& path, const QString& section = QString());

    QTextBrowser* tbContents = nullptr;

private:
    void followLink(const QUrl& url);
};

} // namespace lp
