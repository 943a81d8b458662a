#pragma once
// Helpers of the catalogue tests: temporary folders, python3-dbf tables and a second process that
// holds a lock on a file.
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace testhelp {

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Runs /usr/bin/python3 -c script with the arguments; returns its standard output. Fails the test
// when the script does not exit with 0.
inline QByteArray python(const QString& script, const QStringList& args = {}) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args);
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

// Another program holding a shared fcntl lock on a file for as long as this object lives.
class LockHolder {
public:
    explicit LockHolder(const QString& path) {
        proc_.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-c"),
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
    bool locked() const { return locked_; }

private:
    QProcess proc_;
    bool locked_ = false;
};

}  // namespace testhelp
