#include "reports/layoutfile.h"

#include <QFileInfo>
#include <QLocale>

#include "base/paths.h"
#include "base/textfile.h"

namespace reports {

namespace {

QString damagedText(const QString& path, qsizetype size) {
    const QLocale c = QLocale::c();
    return QStringLiteral("The report layout file \"%1\" is damaged: its size of %2 bytes is not a whole "
                          "number of %3-byte layouts.  Only its first %4 layouts can be read.")
        .arg(path, c.toString(size), c.toString(LayoutRecordSize))
        .arg(size / LayoutRecordSize);
}

QString noSuchLayoutText(const QString& path, int index) {
    return QStringLiteral("There is no report layout number %1 in \"%2\".").arg(index).arg(path);
}

QByteArray recordsOf(const QList<ReportLayout>& layouts) {
    QByteArray bytes;
    bytes.reserve(qsizetype(layouts.size()) * LayoutRecordSize);
    for (const ReportLayout& l : layouts)
        bytes += l.toBytes();
    return bytes;
}

} // namespace

LayoutFile::LayoutFile(QString path) : path_(std::move(path)) {}

QString LayoutFile::programLayoutFile() {
    return ProgramPaths::programFile(QLatin1String(FileName));
}

bool LayoutFile::exists() const {
    return QFileInfo(path_).isFile();
}

LayoutFile::Status LayoutFile::load(QList<ReportLayout>* layouts, QString* error) const {
    layouts->clear();
    QByteArray bytes;
    QString readError;
    switch (textfile::readAll(path_, &bytes, &readError)) {
    case textfile::ReadResult::Ok:
        break;
    case textfile::ReadResult::Missing:
        return Status::Missing;
    default:
        if (error) *error = readError;
        return Status::Unreadable;
    }
    const qsizetype count = bytes.size() / LayoutRecordSize;
    layouts->reserve(count);
    for (qsizetype n = 0; n < count; ++n)
        layouts->append(
            ReportLayout::fromBytes(QByteArrayView(bytes).sliced(n * LayoutRecordSize, LayoutRecordSize)));
    if (bytes.size() % LayoutRecordSize != 0) {
        if (error) *error = damagedText(path_, bytes.size());
        return Status::Damaged;
    }
    return Status::Ok;
}

QStringList LayoutFile::names(QString* error) const {
    QList<ReportLayout> layouts;
    load(&layouts, error);
    QStringList result;
    result.reserve(layouts.size());
    for (const ReportLayout& l : layouts)
        result << l.name;
    return result;
}

bool LayoutFile::read(int index, ReportLayout* layout, QString* error) const {
    QList<ReportLayout> layouts;
    QString loadError;
    const Status status = load(&layouts, &loadError);
    if (status == Status::Unreadable) {
        if (error) *error = loadError;
        return false;
    }
    if (index < 0 || index >= layouts.size()) {
        if (error) *error = status == Status::Damaged ? loadError : noSuchLayoutText(path_, index);
        return false;
    }
    *layout = layouts[index];
    return true;
}

bool LayoutFile::bytesForChange(QByteArray* bytes, QString* error) const {
    QString readError;
    switch (textfile::readAll(path_, bytes, &readError)) {
    case textfile::ReadResult::Ok:
        break;
    case textfile::ReadResult::Missing:
        bytes->clear();
        return true;
    default:
        if (error) *error = readError;
        return false;
    }
    if (bytes->size() % LayoutRecordSize != 0) {
        if (error)
            *error = damagedText(path_, bytes->size()) +
                     QStringLiteral(
                         "  No layout can be saved or deleted until the file is restored from a backup.");
        return false;
    }
    return true;
}

bool LayoutFile::replace(const QByteArray& bytes, QString* error) {
    return textfile::writeAtomically(path_, bytes, error);
}

bool LayoutFile::append(const ReportLayout& layout, QString* error) {
    return appendAll({layout}, error);
}

bool LayoutFile::appendAll(const QList<ReportLayout>& layouts, QString* error) {
    QByteArray bytes;
    if (!bytesForChange(&bytes, error)) return false;
    bytes += recordsOf(layouts);
    return replace(bytes, error);
}

bool LayoutFile::overwrite(int index, const ReportLayout& layout, QString* error) {
    QByteArray bytes;
    if (!bytesForChange(&bytes, error)) return false;
    if (index < 0 || index >= bytes.size() / LayoutRecordSize) {
        if (error) *error = noSuchLayoutText(path_, index);
        return false;
    }
    bytes.replace(qsizetype(index) * LayoutRecordSize, LayoutRecordSize, layout.toBytes());
    return replace(bytes, error);
}

bool LayoutFile::remove(int index, QString* error) {
    QByteArray bytes;
    if (!bytesForChange(&bytes, error)) return false;
    if (index < 0 || index >= bytes.size() / LayoutRecordSize) {
        if (error) *error = noSuchLayoutText(path_, index);
        return false;
    }
    bytes.remove(qsizetype(index) * LayoutRecordSize, LayoutRecordSize);
    return replace(bytes, error);
}

bool LayoutFile::create(const QList<ReportLayout>& layouts, QString* error) {
    return replace(recordsOf(layouts), error);
}

} // namespace reports
