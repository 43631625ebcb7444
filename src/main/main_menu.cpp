#include "main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace lp {

const std::vector<WebLink>& webLinks() {
    // The project's own pages: its support page, its forum, and the pages of the sister tools
    // made by the same hands.
    static const std::vector<WebLink> links{
        {"Support1", "&Support...", "https://larchpost.example.org/support"},
        {"OnlineForums1", "Online &Forums...", "https://larchpost.example.org/forums"},
        {nullptr, nullptr, nullptr},
        {"Product1", "Larchpost &Headless...", "https://larchpost.example.org/headless"},
        {"Product2", "Larchpost &Rule Library...", "https://larchpost.example.org/rules"},
        {"Product3", "Larchpost &Source Code...", "https://larchpost.example.org/source"},
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
    m.Close1 = entry(*m.File1, "Close1", "&Close");

    m.Options1 = menu(bar, "Options1", "&Options");
    m.AdditionalOptions1 = entry(*m.Options1, "AdditionalOptions1", "&Additional Options...");

    m.Links1 = menu(bar, "Links1", "&Links");
    for (const WebLink& link : webLinks()) {
        if (link.name == nullptr)
            m.Links1->addSeparator();
        else
            m.links.push_back(entry(*m.Links1, link.name, link.caption));
    }

    m.Help1 = menu(bar, "Help1", "&Help");
    m.Contents1 = entry(*m.Help1, "Contents1", "&Contents...");
    m.Help1->addSeparator();
    m.About1 = entry(*m.Help1, "About1", "&About...");
    return m;
}

} // namespace lp
