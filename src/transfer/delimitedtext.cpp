#include "transfer/delimitedtext.h"

#include "base/textfile.h"

#include <cstring>

namespace transfer {

namespace {

constexpr int CtrlZ = 0x1A;
constexpr qsizetype BlockSize = 1 << 16;

bool endsLine(int c) {
    return c < 0 || c == '\r' || c == '\n' || c == CtrlZ;
}

} // namespace

void appendDelimitedValue(QByteArray& line, const QString& value, bool first) {
    if (!first) line += ',';
    line += '"';
    QString text = value;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    line += textfile::toCp1252(text.trimmed());
    line += '"';
}

QByteArray delimitedLine(const QStringList& values) {
    QByteArray line;
    for (qsizetype i = 0; i < values.size(); ++i)
        appendDelimitedValue(line, values[i], i == 0);
    line += "\r\n";
    return line;
}

DelimitedReader::DelimitedReader(const QString& path) : file_(path) {}

bool DelimitedReader::open() {
    if (!file_.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("%1: %2").arg(file_.fileName(), file_.errorString());
        return false;
    }
    return true;
}

bool DelimitedReader::fill() {
    if (eof_) return false;
    buffer_.resize(BlockSize);
    const qint64 got = file_.read(buffer_.data(), BlockSize);
    if (got < 0) {
        readFailed_ = true;
        error_ = QStringLiteral("%1: %2").arg(file_.fileName(), file_.errorString());
    }
    if (got <= 0) {
        buffer_.clear();
        pos_ = 0;
        eof_ = true;
        return false;
    }
    buffer_.resize(got);
    pos_ = 0;
    return true;
}

int DelimitedReader::peekNextBlock() {
    if (!fill()) return -1;
    return static_cast<unsigned char>(buffer_.constData()[pos_]);
}

bool DelimitedReader::atEnd() {
    const int c = peek();
    return c < 0 || c == CtrlZ;
}

bool DelimitedReader::next(Record& record, int maxFields) {
    record.blank = false;
    record.lastFieldOpen = false;
    record.fieldTooLong = false;
    record.moreFields = false;
    if (atEnd()) {
        record.fields.clear();
        return false;
    }
    // The field being read, in a buffer of its longest length rather than grown byte by byte.
    char current[MaxFieldLength];
    int length = 0;
    bool inField = false;
    bool afterComma = false;
    // The record's fields so far; the byte arrays of the previous record are filled again.
    size_t used = 0;
    auto append = [&](char c) {
        if (length < MaxFieldLength)
            current[length++] = c;
        else
            record.fieldTooLong = true;
    };
    auto push = [&] {
        if (used < record.fields.size()) {
            QByteArray& field = record.fields[used];
            field.resize(length);
            if (length > 0) std::memcpy(field.data(), current, size_t(length));
        } else {
            record.fields.emplace_back(current, length);
        }
        ++used;
        length = 0;
    };
    for (;;) {
        int c = get();
        if (endsLine(c)) {
            if (c == CtrlZ) eof_ = true, buffer_.clear(), pos_ = 0;
            if (c == '\r' && peek() == '\n') get();
            if (inField || length > 0 || afterComma) {
                push();
                record.lastFieldOpen = true;
            } else if (used == 0) {
                record.blank = true;
            }
            record.fields.resize(used);
            return !readFailed_;
        }
        if (!inField) {
            if (c == '"') {
                inField = true;
                afterComma = false;
            } else if (c >= 32) {
                append(char(c));
            }
            continue;
        }
        if (c < 32) continue;
        if (c != '"') {
            append(char(c));
            continue;
        }
        const int n = peek();
        if (n == '"') {
            get();
            append('"');
            continue;
        }
        if (n != ',' && !endsLine(n)) {
            append('"');
            continue;
        }
        if (n == ',') get();
        push();
        inField = false;
        afterComma = n == ',';
        if (int(used) >= maxFields) {
            // The line holds more fields than were asked for: the rest of it is dropped.
            for (int d = peek(); !endsLine(d); d = peek()) {
                get();
                if (d >= 32) record.moreFields = true;
            }
            if (afterComma) record.moreFields = true;
            const int end = get();
            if (end == CtrlZ) eof_ = true, buffer_.clear(), pos_ = 0;
            if (end == '\r' && peek() == '\n') get();
            record.fields.resize(used);
            return !readFailed_;
        }
    }
}

FirstLine readFirstLine(const QString& path) {
    FirstLine result;
    DelimitedReader reader(path);
    if (!reader.open()) {
        result.code = FirstLine::Unreadable;
        result.error = reader.error();
        return result;
    }
    DelimitedReader::Record record;
    const bool got = reader.next(record, MaxImportFields + 1);
    if (reader.readFailed()) {
        result.code = FirstLine::Unreadable;
        result.error = reader.error();
        return result;
    }
    if (!got || record.blank)
        result.code = FirstLine::UnexpectedEnd;
    else if (record.fieldTooLong)
        result.code = FirstLine::FieldTooLong;
    else if (int(record.fields.size()) > MaxImportFields)
        result.code = FirstLine::TooManyFields;
    else if (record.lastFieldOpen)
        result.code = FirstLine::UnexpectedEnd;
    if (result.code != FirstLine::Ok) return result;
    for (const QByteArray& field : record.fields)
        result.names << (field.isEmpty() ? QStringLiteral("<BLANK FIELD>")
                                         : textfile::fromCp1252(field).left(20));
    return result;
}

QString firstLineMessage(const FirstLine& line) {
    const QString lead = QStringLiteral(
        "The file selected does not appear to be an ASCII delimited text file.  An ASCII delimited "
        "file requires a unique format of each field being surrounded by double quotes and separated "
        "by a comma.  ");
    switch (line.code) {
    case FirstLine::FieldTooLong:
        return lead + QStringLiteral("The selected file has a field that is greater than 255 characters.");
    case FirstLine::UnexpectedEnd:
        return lead + QStringLiteral("The selected file had an unexpected end of a line most likely due to "
                                     "an unmatched quote.");
    case FirstLine::TooManyFields:
        return lead +
               QStringLiteral("The selected file has too many fields.  There are at least 10 more fields "
                              "than are required by Quillon.");
    case FirstLine::Unreadable:
        return line.error;
    case FirstLine::Ok:
        break;
    }
    return {};
}

} // namespace transfer
