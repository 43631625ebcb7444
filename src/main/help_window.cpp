#include "help_window.h"

#include "desktop/open_document.h"
#include "platform/problem.h"
#include "widgets/placement.h"
#include "widgets/ui_seams.h"

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
    fitWindowOnScreen(*this);
    tbContents = new QTextBrowser(this);
    tbContents->setObjectName(QStringLiteral("tbContents"));
    // Links are followed here: web addresses through the desktop, the rest in the window.
    tbContents->setOpenLinks(false);
    connect(tbContents, &QTextBrowser::anchorClicked, this, &TfrmHelp::followLink);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tbContents);
}

void TfrmHelp::openFile(const QString& path, const QString& section) {
    // The file's name does not tell that it holds HTML, so the type is given.
    const QUrl url = QUrl::fromLocalFile(path);
    if (tbContents->source().adjusted(QUrl::RemoveFragment) == url)
        tbContents->reload(); // the file may have changed since it was last shown
    else
        tbContents->setSource(url, QTextDocument::HtmlResource);
    tbContents->verticalScrollBar()->setValue(0); // the start, also after a reload
    if (!section.isEmpty())
        tbContents->scrollToAnchor(section);
    if (!tbContents->documentTitle().isEmpty())
        setWindowTitle(tbContents->documentTitle());
}

void TfrmHelp::followLink(const QUrl& url) {
    if (url.isRelative() || url.isLocalFile()) {
        tbContents->setSource(url, QTextDocument::HtmlResource);
        return;
    }
    if (const Problem problem = OpenDocument(url.toString().toStdString()))
        showWarning(this, QString::fromStdString(*problem), std::nullopt, BoxKind::Confirmation);
}

} // namespace lp
