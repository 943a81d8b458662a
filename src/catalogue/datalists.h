#pragma once
// The seventeen data lists: the values offered by the drop-down boxes of list-backed fields.
//
// Lists 1..13, 15 and 16 belong to the open catalogue and live in memory here (the record
// editor's boxes and the viewer's in-grid drop-down lists follow the listChanged signal); on disk
// each is a file beside the table (NAME.001 ... NAME.016, no .014). The default lists are files of
// the program folder (PRODUCER.LST ...). Lists 14 (award names, OSCAR.LST) and 17 (miscellaneous
// items, MISC.LST) are program-wide files only, read each time they are needed.
//
// List file format: single-byte (Windows-1252) text, one value per line, CR LF. Reading takes each
// line up to its first 255 characters, drops empty and blank lines and keeps the others exactly.
// Files are written beside and renamed, so a crash or a full disk never leaves a list half
// written or empty.
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>

class DataLists : public QObject {
    Q_OBJECT
public:
    enum ListNumber {
        Producer = 1,
        Stars = 2,
        Director = 3,
        ReleasedBy = 4,
        Rating = 5,
        Category = 6,
        Picture = 7,
        Sound = 8,
        Format = 9,
        LaserFormat = 10,
        PersonalRating = 11,
        RecordSpeed = 12,
        Content = 13,
        OscarNames = 14,
        CheckoutPerson = 15,
        WherePurchased = 16,
        Miscellaneous = 17
    };
    static constexpr int ListCount = 17;
    static constexpr int MaxValueLength = 255;

    struct ListInfo {
        int number;
        const char* name;        // in the list editor caption: "Producer"
        const char* extension;   // ".001", nullptr for lists 14 and 17
        const char* defaultFile; // "PRODUCER.LST"; the only file for 14 and 17
        int longest;             // longest value typed in the list editor
        const char* menuCaption; // "&Producer"
    };
    static const ListInfo& info(int number); // 1..17
    // Lists 1..13, 15, 16.
    static bool isDatabaseList(int number) {
        return number >= 1 && number <= ListCount && number != 14 && number != 17;
    }
    // The database lists in the order they are read and written: 1, 3, 2, 4 .. 13, 15, 16.
    static const std::array<int, 15>& databaseListOrder();
    // The data list feeding a field slot (Part of the field slot table's list flag), 0 for none.
    // Stars 1..6 -> 2, Miscellaneous -> 17, OscarNomination/OscarAward -> 14.
    static int listForSlot(int slot);

    explicit DataLists(QObject* parent = nullptr);

    // The in-memory list of a database list (an empty list for 14, 17 and other numbers).
    const QStringList& list(int number) const;
    // Replaces a database list (values longer than 255 characters are cut); emits listChanged.
    void setList(int number, const QStringList& values);
    // Adds a typed value: trimmed; nothing when empty or already present (exact, case-sensitive);
    // else appended. Returns true when added (and emits listChanged).
    bool addToList(int number, const QString& text);
    bool addToStarList(const QString& text) { return addToList(Stars, text); }

    // LoadAllList: the lists of the catalogue at tablePath; when none of its .009, .008, .007 and
    // .010 files exists, the default lists. Every readable list is loaded. A file that exists but
    // cannot be read (no permission, a folder, a named pipe, a read error) gives an empty list,
    // makes the call return false with error naming each such file, and is never written over
    // by a later save until a load reads it.
    bool loadAllLists(const QString& tablePath, QString* error = nullptr);
    // SaveAllLists: writes the fifteen lists beside the table (except files the last load could
    // not read). On failure returns false with
    // error holding the file and the system's text; every list that could be written is written
    // and the old file of one that could not stays as it was.
    bool saveAllLists(const QString& tablePath, QString* error = nullptr) const;
    // LoadDefaultList / SaveDefaultLists: the program folder's default list files.
    bool loadDefaultLists(QString* error = nullptr);
    bool saveDefaultLists(QString* error = nullptr) const;

    // Program-wide lists 14 (OSCAR.LST) and 17 (MISC.LST): read from and written to the program
    // folder. Writing emits listChanged; a file that exists but cannot be read is not written.
    QStringList programList(int number) const;
    bool saveProgramList(int number, const QStringList& values, QString* error = nullptr);

    // File paths.
    static QString listFilePath(const QString& tablePath, int number); // per catalogue
    static QString defaultListPath(int number);                        // program folder
    static QString programListPath(int number) { return defaultListPath(number); }

    // One list file. readListFile: missing -> empty list and true; a file that cannot be opened
    // or read (or is no regular file) -> empty list, false with error. writeListFile: atomic;
    // false with error on failure.
    static bool readListFile(const QString& path, QStringList* values, QString* error = nullptr);
    static QStringList readListFile(const QString& path);
    static bool writeListFile(const QString& path, const QStringList& values, QString* error = nullptr);
    // The reading rules applied to the bytes of a list file.
    static QStringList parseListBytes(const QByteArray& bytes);

    // Trims like the list rules: every character up to and including the blank at both ends.
    static QString trimmed(const QString& text);

    // True when the last load could not read the list file at path (it is then not written).
    bool isUnreadable(const QString& path) const;

signals:
    // A list's values changed (loaded, replaced, a value added, a program-wide file written).
    void listChanged(int number);

private:
    bool loadFrom(const std::array<QString, ListCount + 1>& paths, QString* error);
    bool saveTo(const std::array<QString, ListCount + 1>& paths, QString* error) const;

    static QString unreadableMessage(const QString& readError);

    std::array<QStringList, ListCount + 1> lists_; // [number]; [0], [14], [17] unused
    QSet<QString> unreadable_;                     // list files the last load could not read
};
