#pragma once
// Other programs used by the core and window tests: python3 scripts (tables written by
// python3-dbf), a second process that holds an fcntl lock on a file, and pdftotext reading back
// a PDF file.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace peer {

// Runs /usr/bin/python3 -c script with the arguments; returns its standard output. Fails the test
// when the script does not exit with 0.
inline QByteArray python(const QString& script, const QStringList& args = {}) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args);
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

// The text of a PDF file as pdftotext -layout lays it out; empty when it cannot be read.
inline QString pdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Another program holding a shared fcntl lock on a file for as long as this object lives.
class LockHolder {
public:
    explicit LockHolder(const QString& path) {
        proc_.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"),
                                                         QStringLiteral("import fcntl, sys\n"
                                                                        "f = open(sys.argv[1], 'rb')\n"
                                                                        "fcntl.lockf(f, fcntl.LOCK_SH)\n"
                                                                        "print('locked', flush=True)\n"
                                                                        "sys.stdin.read()\n"),
                                                         path});
        if (proc_.waitForStarted(10000))
            while (!proc_.canReadLine() && proc_.waitForReadyRead(10000)) {
            }
        locked_ = proc_.readLine().trimmed() == "locked";
    }
    ~LockHolder() {
        proc_.closeWriteChannel();
        if (!proc_.waitForFinished(10000)) proc_.kill();
        proc_.waitForFinished(10000);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    bool locked() const { return locked_; }

private:
    QProcess proc_;
    bool locked_ = false;
};

} // namespace peer
