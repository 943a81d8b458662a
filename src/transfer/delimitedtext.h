#pragma once
// ASCII delimited text: the layout the export writes and the import reads.
//
// Writing: one line per record, ended by CR LF; every value has its double quotes doubled, is
// trimmed of blanks at both ends and enclosed in double quotes; values are separated by a single
// comma. Text is Windows-1252.
//
// Reading, byte by byte:
// - A record is one line; a line ends at CR, LF or CR LF; Ctrl+Z ends the file.
// - A field begins at the first double quote and ends at the next double quote followed by a
//   comma (consumed), by the line end or by the end of the file. Two double quotes in a row inside
//   a field stand for one, and the field goes on. A double quote followed by anything else is
//   kept as a character of the field.
// - Control characters (below 32) other than the line ends are dropped; any other character
//   outside quotes is part of the field's text.
// - A field keeps at most MaxFieldLength characters; the rest is dropped (the first line, which
//   names the fields, is refused instead).
// - A record is read up to the number of fields asked for; what else its line holds is dropped.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <vector>

namespace transfer {

constexpr int MaxFieldLength = 255;
constexpr int MaxImportFields = 50;

// One line of the file: each value quoted, doubled quotes inside, trimmed, CR LF at the end.
QByteArray delimitedLine(const QStringList& values);
// Appends one value (with its comma when it is not the first of the line).
void appendDelimitedValue(QByteArray& line, const QString& value, bool first);

// Reads records from a delimited file through a buffer of its own.
class DelimitedReader {
public:
    explicit DelimitedReader(const QString& path);

    // false with error() set when the file cannot be opened.
    bool open();
    QString error() const { return error_; }
    bool readFailed() const { return readFailed_; }

    struct Record {
        std::vector<QByteArray> fields; // Windows-1252 bytes
        bool blank = false;             // the line held nothing (no record)
        bool lastFieldOpen = false;     // the line or the file ended inside an unclosed field,
                                        // or after a comma with no field following
        bool fieldTooLong = false;      // a field held more than MaxFieldLength characters
        bool moreFields = false;        // the line held more fields than were asked for
    };
    // Reads the next line, at most maxFields fields. false at the end of the file (or after a
    // read error, see readFailed()).
    bool next(Record& record, int maxFields);
    bool atEnd();

private:
    // The next byte, -1 at the end of the file (or on an error).
    int get() {
        const int c = peek();
        if (c >= 0) ++pos_;
        return c;
    }
    // The same without taking it.
    int peek() {
        return pos_ < buffer_.size() ? static_cast<unsigned char>(buffer_.constData()[pos_])
                                     : peekNextBlock();
    }
    int peekNextBlock();
    bool fill();

    QFile file_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool eof_ = false;
    bool readFailed_ = false;
    QString error_;
};

// The first line as the import checks it: the names of the import fields, or why the file is not
// delimited text.
struct FirstLine {
    enum Code { Ok = 0, FieldTooLong = 1, UnexpectedEnd = 2, TooManyFields = 3, Unreadable = 4 };
    Code code = Ok;
    QStringList names; // at most 20 characters each; "<BLANK FIELD>" for an empty one
    QString error;     // Unreadable: the path and the system's reason
};
FirstLine readFirstLine(const QString& path);
// The message for a refused first line (codes 1 to 3), or the system's reason (4).
QString firstLineMessage(const FirstLine& line);

} // namespace transfer
