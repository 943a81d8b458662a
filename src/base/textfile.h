#pragma once
// Single-byte text files of the program (settings files, data lists): Windows-1252 on disk,
// QString in memory; lines end in CR LF when written, CR LF, LF or CR are accepted when read.
// Files are replaced atomically: the new contents are written beside the old file, flushed to
// disk and renamed over it, so a crash or a full disk never leaves a file half written.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace textfile {

// Windows-1252 to Unicode. The five unassigned bytes map to the C1 controls of the same value.
QString fromCp1252(QByteArrayView bytes);
// Unicode to Windows-1252; characters the code page lacks become '?'.
QByteArray toCp1252(QStringView text);
// True when every character of the text has a Windows-1252 byte.
bool fitsCp1252(QStringView text);

// Text of a settings file: Windows-1252 when every character has a byte there, else UTF-8 (so
// that file names in any script survive). Decoding takes valid UTF-8 with bytes above 127 as
// UTF-8 and everything else as Windows-1252.
QByteArray encodeSettingsText(QStringView text);
QString decodeSettingsText(QByteArrayView bytes);

// Outcome of reading a whole file.
enum class ReadResult { Ok, Missing, Unopenable, Failed };

// Reads the whole file. Missing: the file does not exist; Unopenable: it exists but cannot be
// opened (no permission, a folder); Failed: reading it failed after it was opened. error gets the
// path and the system's text.
ReadResult readAll(const QString& path, QByteArray* contents, QString* error = nullptr);

// Writes the contents to a new file beside the target, flushes it to disk and renames it over the
// target (following a symbolic link to its target). On failure the old file is left untouched,
// the temporary file removed, and error gets the path and the system's text.
bool writeAtomically(const QString& path, QByteArrayView contents, QString* error = nullptr);

// Splits bytes into lines at CR LF, LF or a lone CR; the line ends are not included. A final
// line end does not start another (empty) line.
QList<QByteArray> splitLines(QByteArrayView bytes);

// The text of the error of the last failed system call (errno), e.g. "No space left on device".
QString systemErrorText(int errorNumber);

} // namespace textfile
