#include "help_window.h"

#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace lp {

TfrmHelp::TfrmHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Larchpost Help"));
    // A window of its own beside the main window, not a modal dialog over it.
    setWindowFlags(Qt::Window);
    resize(640, 560);
    tbContents = new QTextBrowser(this);
    tbContents->setObjectName(QStringLiteral("tbContents"));
    tbContents->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tbContents);
}

void TfrmHelp::openFile(const QString& path) {
    // The file's name does not tell that it holds HTML, so the type is given.
    const QUrl url = QUrl::fromLocalFile(path);
    if (tbContents->source() == url)
        tbContents->reload(); // the file may have changed since it was last shown
    else
        tbContents->setSource(url, QTextDocument::HtmlResource);
    tbContents->verticalScrollBar()->setValue(0); // the start, also after a reload
    if (!tbContents->documentTitle().isEmpty())
        setWindowTitle(tbContents->documentTitle());
}

} // namespace lp
