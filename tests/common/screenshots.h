#pragma once
// Helpers of the screenshot programs (tools/*_screenshots.cpp): the folder the pictures go into,
// a picture of a window saved there, prompts that take a picture of the window asking a question,
// and the twelve videos of the pictures' catalogue.
#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <utility>

#include "catalogue/session.h"
#include "common/scriptedprompts.h"
#include "common/testcatalogue.h"
#include "dbase/table.h"

namespace shots {

// The folder the pictures go into: the one $QUILLON_SHOTS names, ./screenshots without it, taken
// from the current folder at the first call (before a sandbox moves the current folder).
inline QString folder() {
    static const QString path = QDir(qEnvironmentVariable("QUILLON_SHOTS", "screenshots")).absolutePath();
    return path;
}

// Makes the pictures' folder.
inline void makeFolder() {
    QDir().mkpath(folder());
}

// The path of a picture in the pictures' folder.
inline QString shot(const QString& name) {
    return folder() + "/" + name;
}

// Takes a picture of a window once the events waiting are handled.
inline void save(QWidget* w, const QString& name) {
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->grab().save(shot(name)));
}

// Answers like ScriptedPrompts and, at the first message `when` picks by its caption and text,
// takes a picture of the window asking it.
class PicturePrompts : public ScriptedPrompts {
public:
    PicturePrompts(QString name, std::function<bool(const QString& caption, const QString& text)> when)
        : name_(std::move(name)), when_(std::move(when)) {}
    Button message(QWidget* parent, const QString& caption, const QString& text, int buttons,
                   Button defaultButton, Icon icon) override {
        if (!taken && parent && when_(caption, text)) {
            taken = true;
            QCoreApplication::processEvents();
            EXPECT_TRUE(parent->window()->grab().save(shot(name_)));
        }
        return ScriptedPrompts::message(parent, caption, text, buttons, defaultButton, icon);
    }
    bool taken = false;

private:
    QString name_;
    std::function<bool(const QString&, const QString&)> when_;
};

// Appends the twelve videos of the pictures' catalogue to the session's table.
inline void appendTwelveVideos(Session& session) {
    const char* titles[] = {"Casablanca", "Alien",     "Brazil", "The Third Man", "Vertigo", "Rear Window",
                            "Metropolis", "Chinatown", "Jaws",   "Amadeus",       "Fargo",   "Heat"};
    appendRecords(session.table(), 12, [&](int i) {
        return TestRecord{titles[i], i % 2 ? "Drama" : "Thriller", "19970403", i % 3 ? "Yes" : "No",
                          1940 + 4 * i};
    });
    session.notifyRecordsChanged();
}

} // namespace shots
