#pragma once
// Helpers of the main window tests: a fresh program, settings and start folder for each test,
// python3 for tables written by another program, and a second process holding a table.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "base/inifile.h"
#include "common/peerprocess.h"
#include "common/scriptedprompts.h"
#include "shell/mainwindow.h"

namespace shelltest {

// Points the program folder, the settings folder and the current folder into a new temporary
// folder for the lifetime of the object.
class Sandbox {
public:
    Sandbox() : saved_(QDir::currentPath()) {
        root_ = dir_.path();
        for (const char* sub : {"program", "config", "data", "start", "other"})
            QDir().mkpath(root_ + "/" + sub);
        qputenv("QUILLON_HOME", (root_ + "/program").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (root_ + "/config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", (root_ + "/data").toLocal8Bit());
        QDir::setCurrent(root_ + "/start");
    }
    ~Sandbox() { QDir::setCurrent(saved_); }

    QString program(const QString& name = QString()) const {
        return root_ + "/program" + (name.isEmpty() ? "" : "/" + name);
    }
    QString other(const QString& name) const { return root_ + "/other/" + name; }
    QString iniPath() const { return root_ + "/config/quillon-videos/QLNVID.INI"; }
    QString master() const { return program("MASTER.DBF"); }

    // Writes keys into the program settings file before a start.
    void setProgramKey(const QString& section, const QString& key, const QString& value) const {
        QDir().mkpath(root_ + "/config/quillon-videos");
        IniFile ini(iniPath());
        ini.load();
        ini.writeString(section, key, value);
        ASSERT_TRUE(ini.save()) << ini.errorString().toStdString();
    }
    QString programKey(const QString& section, const QString& key) const {
        IniFile ini(iniPath());
        ini.load();
        return ini.value(section, key);
    }

private:
    QTemporaryDir dir_;
    QString root_;
    QString saved_;
};

// A started program that shows nothing modal by itself (no tip of the day).
inline std::unique_ptr<MainWindow> start(const QStringList& arguments = {}) {
    auto main = std::make_unique<MainWindow>(arguments);
    return main;
}

// Ends the program as closing the window does.
inline void finish(std::unique_ptr<MainWindow>& main) {
    main->close();
    main.reset();
}

using peer::LockHolder;
using peer::python;

} // namespace shelltest
