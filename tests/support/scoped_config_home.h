#pragma once
// A fresh user configuration folder ($XDG_CONFIG_HOME) for one test, with the settings store in
// it; the previous folder comes back at the end.

#include "desktop/registry_settings.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace lp::test {

class ScopedConfigHome {
public:
    ScopedConfigHome() : saved_(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
        useSettingsFile(settingsPath().toStdString());
    }
    ~ScopedConfigHome() { qputenv("XDG_CONFIG_HOME", saved_); }
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
    QByteArray saved_;
};

} // namespace lp::test
