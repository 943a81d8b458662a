#include "base/inifile.h"

#include "base/textfile.h"

#include <QFileInfo>

#include <cmath>
#include <limits>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArray trimmedBytes(QByteArrayView bytes) {
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && isBlank(bytes[begin]))
        ++begin;
    while (end > begin && isBlank(bytes[end - 1]))
        --end;
    return bytes.sliced(begin, end - begin).toByteArray();
}

// A value as written: quoted when quotes would otherwise be lost or blanks trimmed on reading.
QString quotedForWriting(QString value) {
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const bool edgeBlank = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    const bool quoted = value.size() >= 2 && value.front() == value.back() &&
                        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''));
    if (edgeBlank || quoted) return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

QString unquoted(const QString& value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
        return value.sliced(1, value.size() - 2);
    return value;
}

QString cut(const QString& value, int bufferLength) {
    if (bufferLength <= 0) return value;
    const int keep = bufferLength - 1;
    return value.size() > keep ? value.left(keep) : value;
}

} // namespace

bool IniFile::load() {
    lines_.clear();
    error_.clear();
    existed_ = false;
    loadFailed_ = false;
    modified_ = false;
    QByteArray bytes;
    switch (textfile::readAll(path_, &bytes, &error_)) {
    case textfile::ReadResult::Missing:
        return true;
    case textfile::ReadResult::Unopenable:
    case textfile::ReadResult::Failed:
        loadFailed_ = true;
        return false;
    case textfile::ReadResult::Ok:
        break;
    }
    existed_ = true;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c == '\n' || c == '\r') {
            QByteArray ending(1, c);
            const QByteArray text = bytes.mid(start, i - start);
            if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
                ending = QByteArrayLiteral("\r\n");
                ++i;
            }
            lines_.append(makeLine(text, ending));
            start = i + 1;
        }
    }
    if (start < n) lines_.append(makeLine(bytes.mid(start), QByteArray()));
    return true;
}

IniFile::Line IniFile::makeLine(const QByteArray& text, const QByteArray& ending) {
    Line line{text, ending, Kind::Other, QString()};
    QString name;
    if (sectionName(text, &name)) {
        line.kind = Kind::Section;
        line.name = name.toCaseFolded();
    } else if (keyValue(text, &name, nullptr)) {
        line.kind = Kind::Key;
        line.name = name.toCaseFolded();
    }
    return line;
}

IniFile IniFile::fromFile(const QString& path) {
    IniFile file(path);
    file.load();
    return file;
}

QByteArray IniFile::contents() const {
    QByteArray out;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.ending;
    }
    return out;
}

bool IniFile::save() {
    if (loadFailed_) {
        if (error_.isEmpty()) error_ = path_;
        return false;
    }
    if (!modified_ && existed_ && QFileInfo::exists(path_)) return true;
    if (!saveAs(path_)) return false;
    existed_ = true;
    modified_ = false;
    return true;
}

bool IniFile::saveAs(const QString& path) {
    error_.clear();
    if (!textfile::writeAtomically(path, contents(), &error_)) return false;
    return true;
}

bool IniFile::sectionName(const QByteArray& line, QString* name) {
    const QByteArray t = trimmedBytes(line);
    if (!t.startsWith('[')) return false;
    qsizetype close = t.indexOf(']');
    if (close < 0) close = t.size();
    *name = textfile::decodeSettingsText(trimmedBytes(QByteArrayView(t).sliced(1, close - 1)));
    return true;
}

bool IniFile::keyValue(const QByteArray& line, QString* key, QString* value) {
    const qsizetype eq = line.indexOf('=');
    if (eq < 0) return false;
    const QByteArray k = trimmedBytes(QByteArrayView(line).first(eq));
    if (k.isEmpty() || k.startsWith(';')) return false;
    *key = textfile::decodeSettingsText(k);
    if (value) *value = textfile::decodeSettingsText(trimmedBytes(QByteArrayView(line).sliced(eq + 1)));
    return true;
}

IniFile::Location IniFile::locate(const QString& section, const QString& key) const {
    Location loc;
    const QString wantedSection = section.trimmed().toCaseFolded();
    const QString wantedKey = key.isNull() ? QString() : key.trimmed().toCaseFolded();
    bool inSection = false;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            if (inSection) break; // the end of the wanted section
            if (line.name == wantedSection) {
                inSection = true;
                loc.sectionLine = i;
                loc.lastLine = i;
            }
            continue;
        }
        if (!inSection) continue;
        if (line.kind != Kind::Other || !trimmedBytes(line.text).isEmpty()) loc.lastLine = i;
        if (loc.keyLine < 0 && line.kind == Kind::Key && !key.isNull() && line.name == wantedKey)
            loc.keyLine = i;
    }
    return loc;
}

bool IniFile::hasSection(const QString& section) const {
    return locate(section, QString()).sectionLine >= 0;
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    return locate(section, key).keyLine >= 0;
}

QString IniFile::value(const QString& section, const QString& key, bool* found) const {
    const Location loc = locate(section, key);
    if (found) *found = loc.keyLine >= 0;
    if (loc.keyLine < 0) return {};
    QString k, v;
    keyValue(lines_[loc.keyLine].text, &k, &v);
    return unquoted(v);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue,
                            int bufferLength) const {
    bool found = false;
    const QString v = value(section, key, &found);
    return cut(found ? v : defaultValue, bufferLength);
}

bool IniFile::parseInt(const QString& text, int* value) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok, 10);
    if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
    *value = static_cast<int>(v);
    return true;
}

bool IniFile::parseReal(const QString& text, double* value) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    // Plain decimal notation only: sign, digits, one '.', digits.
    qsizetype i = 0;
    if (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')) ++i;
    int digits = 0;
    int dots = 0;
    for (; i < t.size(); ++i) {
        if (t[i].isDigit() && t[i].unicode() < 128)
            ++digits;
        else if (t[i] == QLatin1Char('.') && dots == 0)
            ++dots;
        else
            return false;
    }
    if (digits == 0) return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

int IniFile::readInt(const QString& section, const QString& key, int defaultValue) const {
    bool found = false;
    const QString v = value(section, key, &found);
    if (!found) return defaultValue;
    int result = 0;
    return parseInt(cut(v, NumberBuffer), &result) ? result : 0;
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    bool found = false;
    const QString v = value(section, key, &found);
    if (!found) return defaultValue;
    return cut(v, NumberBuffer).compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0;
}

double IniFile::readReal(const QString& section, const QString& key, double defaultValue) const {
    bool found = false;
    const QString v = value(section, key, &found);
    if (!found) return defaultValue;
    double result = 0;
    return parseReal(cut(v, NumberBuffer), &result) ? result : 0.0;
}

QString IniFile::formatReal(double value) {
    QString text = QString::number(value, 'f', 4);
    if (text == QLatin1String("-0.0000")) text = QStringLiteral("0.0000");
    return text;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    QString plain = value;
    plain.replace(QLatin1Char('\r'), QLatin1Char(' '));
    plain.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray written = textfile::encodeSettingsText(quotedForWriting(plain));
    const Location loc = locate(section, key);
    if (loc.keyLine >= 0) {
        Line& line = lines_[loc.keyLine];
        const qsizetype eq = line.text.indexOf('=');
        QString current;
        QString k;
        keyValue(line.text, &k, &current);
        // An unchanged value keeps its line as it is.
        if (unquoted(current) == plain) return;
        // Keep the key exactly as spelt in the file.
        line = makeLine(trimmedBytes(QByteArrayView(line.text).first(eq)) + '=' + written, line.ending);
        modified_ = true;
        return;
    }
    const QByteArray keyLine = textfile::encodeSettingsText(key) + '=' + written;
    const QByteArray crlf = QByteArrayLiteral("\r\n");
    if (loc.sectionLine >= 0) {
        // After the last non-blank line of the section.
        Line& last = lines_[loc.lastLine];
        if (last.ending.isEmpty()) last.ending = crlf;
        lines_.insert(loc.lastLine + 1, makeLine(keyLine, crlf));
    } else {
        if (!lines_.isEmpty() && lines_.last().ending.isEmpty()) lines_.last().ending = crlf;
        lines_.append(makeLine('[' + textfile::encodeSettingsText(section) + ']', crlf));
        lines_.append(makeLine(keyLine, crlf));
    }
    modified_ = true;
}

void IniFile::writeInt(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("Yes") : QStringLiteral("No"));
}

void IniFile::writeReal(const QString& section, const QString& key, double value) {
    writeString(section, key, formatReal(value));
}
