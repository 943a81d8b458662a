#pragma once
// The layout file QLNVID.URP in the program folder: report layouts one after another, no header;
// layout n (0-based) is the record at n x 20,622 and is number n of the report list.
//
// Every change (append, overwrite, delete) writes the whole new file beside the old one and
// renames it into place, so a crash or a full disk while saving leaves the earlier layouts as they
// were. A file whose size is not a whole number of records is damaged: its complete layouts can
// be read, but it is never changed (nor read past its last complete record) until it is replaced.
#include <QList>
#include <QString>
#include <QStringList>

#include "reports/reportlayout.h"

namespace reports {

class LayoutFile {
public:
    enum class Status {
        Ok,         // read whole
        Missing,    // no such file: no layouts
        Damaged,    // a size that is not a whole number of layouts: the complete ones were read
        Unreadable, // the file could not be opened or read: no layouts
    };

    explicit LayoutFile(QString path);
    // QLNVID.URP of the program folder (found ignoring letter case).
    static QString programLayoutFile();
    static constexpr const char* FileName = "QLNVID.URP";

    const QString& path() const { return path_; }
    bool exists() const;

    // Every complete layout in file order. error (when given) gets a message for every status but
    // Ok and Missing.
    Status load(QList<ReportLayout>* layouts, QString* error = nullptr) const;
    // The layout names in file order (the report list); empty when the file cannot be read.
    QStringList names(QString* error = nullptr) const;
    // Layout number index (0-based).
    bool read(int index, ReportLayout* layout, QString* error = nullptr) const;

    // Changes; each returns false with a message and leaves the file as it was when it fails. The
    // file is created by append when it is missing.
    bool append(const ReportLayout& layout, QString* error = nullptr);
    bool appendAll(const QList<ReportLayout>& layouts, QString* error = nullptr);
    bool overwrite(int index, const ReportLayout& layout, QString* error = nullptr);
    bool remove(int index, QString* error = nullptr);
    // Writes exactly these layouts, replacing any file there was.
    bool create(const QList<ReportLayout>& layouts, QString* error = nullptr);

private:
    // The whole file for a change: false (with a message) when it cannot be read or is damaged.
    bool bytesForChange(QByteArray* bytes, QString* error) const;
    bool replace(const QByteArray& bytes, QString* error);

    QString path_;
};

} // namespace reports
