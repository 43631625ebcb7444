#include "main_menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace lp {

const std::vector<LinksEntry>& linksEntries() {
    // Larchpost has no web pages of its own, so each entry opens the help window at the section
    // that answers it: getting help, common questions, and the other ways of running Larchpost.
    // Each entry has a mnemonic of its own.
    static const std::vector<LinksEntry> links{
        {"Support1", "&Support...", "support"},
        {"OnlineForums1", "Online &Forums...", "questions"},
        {nullptr, nullptr, nullptr},
        {"Product1", "Larchpost &Headless...", "headless"},
        {"Product2", "Larchpost &Rule Examples...", "examples"},
        {"Product3", "Larchpost &Portable Copy...", "files"},
    };
    return links;
}

namespace {

QAction* entry(QMenu& menu, const char* name, const char* caption) {
    QAction* action = menu.addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QMenu* menu(QMenuBar& bar, const char* name, const char* caption) {
    QMenu* added = bar.addMenu(QString::fromUtf8(caption));
    added->setObjectName(QString::fromLatin1(name));
    return added;
}

} // namespace

MainMenu buildMainMenu(QMenuBar& bar) {
    MainMenu m;
    m.File1 = menu(bar, "File1", "&File");
    m.Activity1 = entry(*m.File1, "Activity1", "&Activity...");
    m.SortNow1 = entry(*m.File1, "SortNow1", "Sort &Now...");
    // Also here, not only in the tray's menu: a desktop without a tray must still resume.
    m.PauseSorting2 = entry(*m.File1, "PauseSorting2", "&Pause Sorting");
    m.PauseSorting2->setCheckable(true);
    m.File1->addSeparator();
    m.Close1 = entry(*m.File1, "Close1", "&Close");

    m.Options1 = menu(bar, "Options1", "&Options");
    m.AdditionalOptions1 = entry(*m.Options1, "AdditionalOptions1", "&Additional Options...");

    m.Links1 = menu(bar, "Links1", "&Links");
    for (const LinksEntry& link : linksEntries()) {
        if (link.name == nullptr)
            m.Links1->addSeparator();
        else
            m.links.push_back(entry(*m.Links1, link.name, link.caption));
    }

    m.Help1 = menu(bar, "Help1", "&Help");
    m.Contents1 = entry(*m.Help1, "Contents1", "&Contents...");
    m.Contents1->setShortcut(QKeySequence::HelpContents); // F1, as on every desktop
    m.Help1->addSeparator();
    m.About1 = entry(*m.Help1, "About1", "&About...");
    return m;
}

} // namespace lp
