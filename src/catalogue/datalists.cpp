#include "catalogue/datalists.h"

#include "base/paths.h"
#include "base/textfile.h"
#include "catalogue/fieldslots.h"

#include <QFile>
#include <QFileInfo>

namespace {

const DataLists::ListInfo Lists[DataLists::ListCount] = {
    {1, "Producer", ".001", "PRODUCER.LST", 28, "&Producer"},
    {2, "Stars", ".002", "STAR.LST", 25, "&Stars"},
    {3, "Director", ".003", "DIRECT.LST", 28, "&Director"},
    {4, "Released By", ".004", "RELEASE.LST", 28, "&Released By"},
    {5, "Rating", ".005", "RATING.LST", 15, "Ra&ting"},
    {6, "Category", ".006", "CATEGORY.LST", 20, "Cate&gory"},
    {7, "Picture", ".007", "PICTURE.LST", 10, "P&icture"},
    {8, "Sound", ".008", "SOUND.LST", 10, "So&und"},
    {9, "Format", ".009", "FORMAT.LST", 15, "&Format"},
    {10, "Laser Format", ".010", "LASER.LST", 12, "&Laser Format"},
    {11, "Personal Rating", ".011", "PERSRATE.LST", 15, "Perso&nal Rating"},
    {12, "Record Speed", ".012", "RECSPEED.LST", 6, "R&ecord Speed"},
    {13, "Content", ".013", "CONTENT.LST", 10, "&Content"},
    {14, "Oscar Names", nullptr, "OSCAR.LST", 110, "&Oscars"},
    {15, "Checkout Person", ".015", "CHECKOUT.LST", 25, "Chec&k Out Person"},
    {16, "Where Purchase", ".016", "PURCH.LST", 25, "&Where Purchased"},
    {17, "Miscellaneous", nullptr, "MISC.LST", 25, "&Miscellaneous"},
};

constexpr std::array<int, 15> Order = {1, 3, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16};

bool isTrimmable(QChar c) {
    return c.unicode() <= 0x20;
}

QString cutValue(const QString& value) {
    return value.size() > DataLists::MaxValueLength ? value.left(DataLists::MaxValueLength) : value;
}

const QStringList EmptyList;

} // namespace

const DataLists::ListInfo& DataLists::info(int number) {
    if (number < 1 || number > ListCount) return Lists[0];
    return Lists[number - 1];
}

const std::array<int, 15>& DataLists::databaseListOrder() {
    return Order;
}

int DataLists::listForSlot(int slot) {
    switch (slot) {
    case Slot::Producer:
        return Producer;
    case Slot::Star1:
    case Slot::Star2:
    case Slot::Star3:
    case Slot::Star4:
    case Slot::Star5:
    case Slot::Star6:
        return Stars;
    case Slot::Director:
        return Director;
    case Slot::ReleasedBy:
        return ReleasedBy;
    case Slot::Rating:
        return Rating;
    case Slot::Category:
        return Category;
    case Slot::Picture:
        return Picture;
    case Slot::Sound:
        return Sound;
    case Slot::Format:
        return Format;
    case Slot::LaserFormat:
        return LaserFormat;
    case Slot::PersonalRating:
        return PersonalRating;
    case Slot::RecordingSpeed:
        return RecordSpeed;
    case Slot::Content:
        return Content;
    case Slot::OscarNomination:
    case Slot::OscarAward:
        return OscarNames;
    case Slot::CheckName:
        return CheckoutPerson;
    case Slot::WherePurchased:
        return WherePurchased;
    case Slot::Miscellaneous:
        return Miscellaneous;
    default:
        return 0;
    }
}

DataLists::DataLists(QObject* parent) : QObject(parent) {}

QString DataLists::trimmed(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmable(text[begin]))
        ++begin;
    while (end > begin && isTrimmable(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

const QStringList& DataLists::list(int number) const {
    if (!isDatabaseList(number)) return EmptyList;
    return lists_[number];
}

void DataLists::setList(int number, const QStringList& values) {
    if (!isDatabaseList(number)) return;
    QStringList cut;
    cut.reserve(values.size());
    for (const QString& v : values)
        cut.append(cutValue(v));
    lists_[number] = cut;
    emit listChanged(number);
}

bool DataLists::addToList(int number, const QString& text) {
    if (!isDatabaseList(number)) return false;
    const QString value = cutValue(trimmed(text));
    if (value.isEmpty()) return false;
    if (lists_[number].contains(value, Qt::CaseSensitive)) return false;
    lists_[number].append(value);
    emit listChanged(number);
    return true;
}

QStringList DataLists::parseListBytes(const QByteArray& bytes) {
    QStringList values;
    for (const QByteArray& line : textfile::splitLines(bytes)) {
        const QByteArray kept = line.left(MaxValueLength);
        bool blank = true;
        for (char c : kept) {
            if (static_cast<unsigned char>(c) > 0x20) {
                blank = false;
                break;
            }
        }
        if (!blank) values.append(textfile::fromCp1252(kept));
    }
    return values;
}

bool DataLists::readListFile(const QString& path, QStringList* values, QString* error) {
    values->clear();
    QByteArray bytes;
    QString readError;
    switch (textfile::readAll(path, &bytes, &readError)) {
    case textfile::ReadResult::Missing:
        return true;
    case textfile::ReadResult::Unopenable: // no permission, a folder, a named pipe ...
    case textfile::ReadResult::Failed:     // a read error after opening
        if (error) *error = readError;
        return false;
    case textfile::ReadResult::Ok:
        break;
    }
    *values = parseListBytes(bytes);
    return true;
}

QStringList DataLists::readListFile(const QString& path) {
    QStringList values;
    readListFile(path, &values);
    return values;
}

bool DataLists::writeListFile(const QString& path, const QStringList& values, QString* error) {
    QByteArray bytes;
    for (const QString& value : values) {
        QString line = value;
        line.replace(QLatin1Char('\r'), QLatin1Char(' '));
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        bytes += textfile::toCp1252(line);
        bytes += "\r\n";
    }
    return textfile::writeAtomically(path, bytes, error);
}

QString DataLists::listFilePath(const QString& tablePath, int number) {
    if (!isDatabaseList(number)) return {};
    return TablePaths::listPath(tablePath, number);
}

QString DataLists::defaultListPath(int number) {
    if (number < 1 || number > ListCount) return {};
    return ProgramPaths::programFile(QLatin1String(info(number).defaultFile));
}

QString DataLists::unreadableMessage(const QString& readError) {
    return QStringLiteral("The list file %1 could not be read. The list is left empty for now and "
                          "its file is not written over.")
        .arg(readError);
}

bool DataLists::loadFrom(const std::array<QString, ListCount + 1>& paths, QString* error) {
    // Every list that can be read is loaded; one that cannot is reported, starts empty and its
    // file is kept as it is (saveTo passes it by) until a later load reads it.
    QStringList problems;
    for (int number : Order) {
        QStringList values;
        QString readError;
        unreadable_.remove(paths[number]);
        if (!readListFile(paths[number], &values, &readError)) {
            unreadable_.insert(paths[number]);
            problems.append(unreadableMessage(readError));
        }
        lists_[number] = values;
        emit listChanged(number);
    }
    if (error) *error = problems.join(QLatin1Char('\n'));
    return problems.isEmpty();
}

bool DataLists::saveTo(const std::array<QString, ListCount + 1>& paths, QString* error) const {
    bool ok = true;
    for (int number : Order) {
        if (unreadable_.contains(paths[number])) continue;
        QString e;
        if (!writeListFile(paths[number], lists_[number], &e)) {
            if (ok && error) *error = e;
            ok = false;
        }
    }
    return ok;
}

bool DataLists::isUnreadable(const QString& path) const {
    return unreadable_.contains(path);
}

bool DataLists::loadAllLists(const QString& tablePath, QString* error) {
    const bool ownLists = QFileInfo::exists(listFilePath(tablePath, Format)) ||
                          QFileInfo::exists(listFilePath(tablePath, Sound)) ||
                          QFileInfo::exists(listFilePath(tablePath, Picture)) ||
                          QFileInfo::exists(listFilePath(tablePath, LaserFormat));
    if (!ownLists) return loadDefaultLists(error);
    std::array<QString, ListCount + 1> paths;
    for (int number : Order)
        paths[number] = listFilePath(tablePath, number);
    return loadFrom(paths, error);
}

bool DataLists::saveAllLists(const QString& tablePath, QString* error) const {
    if (tablePath.isEmpty()) {
        if (error) *error = QStringLiteral("No database is open.");
        return false;
    }
    std::array<QString, ListCount + 1> paths;
    for (int number : Order)
        paths[number] = listFilePath(tablePath, number);
    return saveTo(paths, error);
}

bool DataLists::loadDefaultLists(QString* error) {
    std::array<QString, ListCount + 1> paths;
    for (int number : Order)
        paths[number] = defaultListPath(number);
    return loadFrom(paths, error);
}

bool DataLists::saveDefaultLists(QString* error) const {
    std::array<QString, ListCount + 1> paths;
    for (int number : Order)
        paths[number] = defaultListPath(number);
    return saveTo(paths, error);
}

QStringList DataLists::programList(int number) const {
    if (number != OscarNames && number != Miscellaneous) return {};
    return readListFile(programListPath(number));
}

bool DataLists::saveProgramList(int number, const QStringList& values, QString* error) {
    if (number != OscarNames && number != Miscellaneous) return false;
    // A file that exists but cannot be read is the user's list all the same: never written over.
    const QString path = programListPath(number);
    QStringList existing;
    QString readError;
    if (!readListFile(path, &existing, &readError)) {
        if (error) *error = unreadableMessage(readError);
        return false;
    }
    QStringList cut;
    for (const QString& v : values)
        cut.append(cutValue(v));
    if (!writeListFile(path, cut, error)) return false;
    emit listChanged(number);
    return true;
}
