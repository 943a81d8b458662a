#pragma once
// What the commands of quillon-cli share: failures, the table file of the command line, the
// table's display order, and the output of records.
#include <QString>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/regional.h"
#include "catalogue/settings.h"
#include "find/criteria.h"

namespace dbase {
class Table;
}

namespace cli {

// Wrong usage (exit 2) and a failed command (exit 1); the text goes to standard error.
struct UsageError {
    QString text;
};
struct Failure {
    QString text;
};

// Buffered standard output; a write failure (full disk, closed pipe) is a failure of the command.
class Output {
public:
    ~Output() { flush(); }
    std::string& buffer() { return buf_; }
    void endLine() {
        buf_ += '\n';
        if (buf_.size() >= (1u << 16)) flush();
    }
    void flush() {
        if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), stdout) != buf_.size()) failed_ = true;
        buf_.clear();
    }
    bool finish() {
        flush();
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) failed_ = true;
        return !failed_;
    }

private:
    std::string buf_;
    bool failed_ = false;
};
// The table file named on the command line: as given when it exists, else a file in the same
// folder whose name differs only in the letter case of its extension; else as given.
QString tablePath(const QString& arg);
void requireExisting(const QString& path);
void requireCatalogue(const QString& path);

// The order the program shows the table in: the NewIndex tag when the table has one, unless the
// database settings set every sort level to none (record order).
bool usesSortTag(const dbase::Table& t, const QString& path);

// The fields named in a --fields value (comma-separated), or every field when it is empty.
std::vector<int> chosenFields(const dbase::Table& t, const QString& path, const QString& names);
// A line of field names, then each record from the first in the table's order (at most limit),
// tab-separated and escaped.
void printRecords(dbase::Table& t, const std::vector<int>& fields, uint64_t limit);

// The catalogue's database settings (display names, export choices), else the defaults.
DatabaseSettings catalogueSettings(const QString& path);
// A catalogue field by field name or display name (letter case ignored); 0 when none.
int slotNamed(const QString& name, const DatabaseSettings& settings);
// The criteria of --where rows, one list per --or level, saved as the search window saves its
// pages; a refusal is a Failure with the window's message.
SearchCriteria criteriaOfLevels(const QList<QStringList>& levels, const DatabaseSettings& settings,
                                const DateFormat& dates);

// The find commands.
int cmdSearch(const QStringList& args);
int cmdLocate(const QStringList& args);
int cmdReplace(const QStringList& args);

// The transfer commands.
int cmdExport(const QStringList& args);
int cmdImport(const QStringList& args);
// quillon-cli labels: one sheet of face or spine labels as PDF.
int cmdLabels(const QStringList& args);

} // namespace cli
