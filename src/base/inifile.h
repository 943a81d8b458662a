#pragma once
// A settings file in the usual initialisation-file syntax ("[Section]", "Key=Value" lines), with
// the semantics of the private-profile functions the program's settings always had:
//
// - sections and keys are found ignoring letter case (the first one wins when repeated);
// - reading a missing key yields the caller's default;
// - values are read into buffers of a given length (15, 150 or 250 characters): a longer value
//   is cut to the buffer length less one, as a zero-terminated buffer holds it;
// - writing a key keeps every other line of the file byte for byte (comments, unknown sections,
//   blank lines, order); a changed key keeps its own spelling; a missing key is added at the end
//   of its section, a missing section at the end of the file;
// - booleans are written "Yes"/"No" and read true only for "YES" in any letter case; integers in
//   decimal (a non-numeric value reads as 0); reals with four decimals.
//
// The file is Windows-1252 on disk; new lines end in CR LF, LF is accepted. The whole file is
// held in memory: load() reads it once, the write functions change the copy in memory, and save()
// replaces the file atomically (written beside, flushed, renamed), so a crash never leaves it half
// written and a failed write (disk full, read-only folder) leaves the old file intact.
#include <QByteArray>
#include <QList>
#include <QString>

class IniFile {
public:
    // Buffer lengths the program reads values into.
    static constexpr int NumberBuffer = 15; // numbers and booleans
    static constexpr int NameBuffer = 150;  // font names, colours, field titles
    static constexpr int PathBuffer = 250;  // file names
    static constexpr int Unlimited = 0;     // no cut

    IniFile() = default;
    explicit IniFile(const QString& path) : path_(path) {}

    QString path() const { return path_; }
    void setPath(const QString& path) { path_ = path; }

    // Reads the file. A missing file reads as empty and succeeds. A file that exists but cannot be
    // read fails with errorString() set; such a file is never overwritten by save().
    bool load();
    // Convenience: an IniFile for path, loaded.
    static IniFile fromFile(const QString& path);

    // Writes the file when its contents changed, or when it does not exist yet. On failure returns
    // false with errorString() holding the path and the system's text; the file on disk is then
    // the old one.
    bool save();
    // Writes the contents to another path (the same atomic way), whatever changed.
    bool saveAs(const QString& path);

    bool exists() const { return existed_; } // the file existed when loaded
    bool isModified() const { return modified_; }
    QString errorString() const { return error_; }

    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;

    // Readers. bufferLength: see above; Unlimited keeps the whole value.
    QString readString(const QString& section, const QString& key, const QString& defaultValue,
                       int bufferLength = PathBuffer) const;
    int readInt(const QString& section, const QString& key, int defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    double readReal(const QString& section, const QString& key, double defaultValue) const;

    // Writers. A value equal to the one stored leaves its line untouched.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInt(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    void writeReal(const QString& section, const QString& key, double value);

    // The raw stored value (no cut), or nullptr-like empty optional semantics via found.
    QString value(const QString& section, const QString& key, bool* found = nullptr) const;

    // The whole file as it would be written.
    QByteArray contents() const;

    // Helpers shared with the settings classes.
    static QString formatReal(double value); // "1.2500"
    static bool parseInt(const QString& text, int* value);
    static bool parseReal(const QString& text, double* value);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray text;   // the line without its end
        QByteArray ending; // CR LF, LF, CR or nothing for a last line without an end
        Kind kind = Kind::Other;
        QString name; // the section or key name, case-folded
    };
    static Line makeLine(const QByteArray& text, const QByteArray& ending);
    struct Location {
        qsizetype sectionLine = -1; // the "[Section]" line
        qsizetype keyLine = -1;     // the "Key=Value" line
        qsizetype lastLine = -1;    // the last non-blank line of the section
    };
    Location locate(const QString& section, const QString& key) const;
    static bool sectionName(const QByteArray& line, QString* name);
    static bool keyValue(const QByteArray& line, QString* key, QString* value);

    QString path_;
    QList<Line> lines_;
    QString error_;
    bool existed_ = false;
    bool loadFailed_ = false;
    bool modified_ = false;
};
