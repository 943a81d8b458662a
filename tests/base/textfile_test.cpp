// Windows-1252 conversion, line splitting and the atomic replace of text files.
#include "base/textfile.h"
#include "common/files.h"

#include <QFileInfo>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(TextFileTest, EveryByteRoundTripsThroughWindows1252) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = textfile::fromCp1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0x92], QChar(0x2019));
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    EXPECT_EQ(text[0xE9], QChar(0x00E9));
    EXPECT_EQ(text[0x81], QChar(0x0081)); // unassigned: kept as the control of the same value
    EXPECT_EQ(textfile::toCp1252(text), all);
    EXPECT_TRUE(textfile::fitsCp1252(text));
}

TEST(TextFileTest, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    const QString text = QStringLiteral("a\u4e2db\u0394");
    EXPECT_EQ(textfile::toCp1252(text), QByteArray("a?b?"));
    EXPECT_FALSE(textfile::fitsCp1252(text));
}

TEST(TextFileTest, SplitsLinesAtCrLfLfAndCr) {
    EXPECT_EQ(textfile::splitLines("a\r\nb\nc\rd"), (QList<QByteArray>{"a", "b", "c", "d"}));
    EXPECT_EQ(textfile::splitLines("a\r\n\r\nb\r\n"), (QList<QByteArray>{"a", "", "b"}));
    EXPECT_TRUE(textfile::splitLines("").isEmpty());
    EXPECT_EQ(textfile::splitLines("\n"), (QList<QByteArray>{""}));
}

TEST(TextFileTest, ReadsMissingUnopenableAndExistingFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray bytes;
    QString error;
    EXPECT_EQ(textfile::readAll(dir.filePath(QStringLiteral("none")), &bytes, &error),
              textfile::ReadResult::Missing);
    EXPECT_EQ(textfile::readAll(dir.path(), &bytes, &error), textfile::ReadResult::Unopenable);
    EXPECT_TRUE(error.contains(QStringLiteral("Is a directory")));
    ASSERT_TRUE(textfile::writeAtomically(dir.filePath(QStringLiteral("f")), "abc\r\n", &error));
    EXPECT_EQ(textfile::readAll(dir.filePath(QStringLiteral("f")), &bytes, &error), textfile::ReadResult::Ok);
    EXPECT_EQ(bytes, QByteArray("abc\r\n"));
}

TEST(TextFileTest, AtomicWriteReplacesAndLeavesNothingBehind) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("LIST.001"));
    ASSERT_TRUE(writeFile(path, "old\r\n"));
    ASSERT_TRUE(textfile::writeAtomically(path, "new\r\n"));
    EXPECT_EQ(readFile(path), QByteArray("new\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    // A folder standing where the file should go: the rename fails, the folder stays.
    const QString folder = dir.filePath(QStringLiteral("LIST.002"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QString error;
    EXPECT_FALSE(textfile::writeAtomically(folder, "x", &error));
    EXPECT_TRUE(error.contains(folder)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

} // namespace
