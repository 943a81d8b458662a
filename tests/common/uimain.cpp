// The main of every UI test program: a QApplication on the offscreen platform, the program and
// settings folders in a temporary folder (no test touches the real home), and prompts that fail
// the test on any question a test did not script, so that no dialog can ever block a test.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "common/scriptedprompts.h"

namespace {
// Any question reaching this object was not expected by the running test.
class StrictPrompts final : public ScriptedPrompts {};
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid()) return 2;
    const QString root = home.path();
    QDir().mkpath(root + "/program");
    QDir().mkpath(root + "/data");
    QDir().mkpath(root + "/config");
    qputenv("HOME", root.toLocal8Bit());
    qputenv("QUILLON_HOME", (root + "/program").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (root + "/data").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (root + "/config").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", root.toLocal8Bit());

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    int rc;
    {
        StrictPrompts strict;
        rc = RUN_ALL_TESTS();
        strict.clearQueue();
    }
    return rc;
}
