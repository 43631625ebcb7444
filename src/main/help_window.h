#pragma once
// The program's own help window: the help file's HTML in a browser pane, opened at its start.

#include <QDialog>

class QTextBrowser;

namespace lp {

class TfrmHelp : public QDialog {
    Q_OBJECT
public:
    explicit TfrmHelp(QWidget* parent = nullptr);

    // Loads the help file at its default topic (its beginning); links within it and to its own
    // folder are followed in the window, web addresses go to the browser.
    void openFile(const QString& path);

    QTextBrowser* tbContents = nullptr;
};

} // namespace lp
