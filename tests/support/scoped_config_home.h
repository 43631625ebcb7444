#pragma once
// A fresh user configuration folder ($XDG_CONFIG_HOME) for one test, with the settings store in
// it; the previous folder comes back at the end. Qt finds it as on a desktop, from the variable.

#include "desktop/registry_settings.h"
#include "support/desktop_standard_paths.h"
#include "support/scoped_variable.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace lp::test {

class ScopedConfigHome {
public:
    ScopedConfigHome() { useSettingsFile(settingsPath().toStdString()); }
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

    QString path() const { return dir_.path(); }
    QString settingsPath() const { return dir_.filePath("Larchpost/settings.ini"); }
    QString autostartPath() const { return dir_.filePath("autostart/Larchpost.desktop"); }

    // Puts content into the auto-start file, creating its folder.
    bool writeAutostart(const QByteArray& content) const {
        QDir().mkpath(dir_.filePath("autostart"));
        QFile file(autostartPath());
        if (!file.open(QIODevice::WriteOnly))
            return false;
        return file.write(content) == content.size();
    }
    QByteArray autostart() const {
        QFile file(autostartPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
    ScopedVariable variable_{"XDG_CONFIG_HOME", dir_.path().toLocal8Bit().constData()};
    DesktopStandardPaths paths_;
};

} // namespace lp::test
