// Import and export through real files: the delimited reader's rules, the first-line check, the
// exporters' output, round trips through both file kinds, foreign dBase tables in other code
// pages, bad values in the middle of a file and an export during a search.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "catalogue/fieldtext.h"
#include "catalogue/settings.h"
#include "common/files.h"
#include "dbase/codepage.h"
#include "dbase/table.h"
#include "transfer/delimitedtext.h"
#include "transfer/exporter.h"
#include "transfer/importer.h"

using namespace transfer;

namespace {

const DateFormat kDates(7, true); // mm/dd/yyyy

std::string native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// A catalogue table at path with records given as field name -> text (dates YYYYMMDD).
void makeCatalogue(const QString& path, const std::vector<std::map<std::string, std::string>>& records) {
    dbase::Table::create(native(path), catalogueFields());
    dbase::Table t;
    t.open(native(path));
    for (const auto& record : records) {
        t.append();
        for (const auto& [name, value] : record) {
            const int f = t.fieldIndexOrThrow(name);
            if (t.field(f).type == 'D')
                t.setDate(f, value);
            else
                t.setText(f, value);
        }
        t.post();
    }
    t.close();
}

// Every record of a table as the texts of all its fields.
std::vector<QStringList> contents(const QString& path) {
    dbase::Table t;
    t.open(native(path), dbase::OpenMode::Shared, true);
    std::vector<QStringList> rows;
    for (bool more = t.first(); more; more = t.next()) {
        QStringList row;
        for (int f = 0; f < t.fieldCount(); ++f)
            row << fieldText(t, f, kDates);
        rows.push_back(row);
    }
    return rows;
}

std::vector<int> allSlots() {
    std::vector<int> all;
    for (int s = 1; s <= FieldCount; ++s)
        all.push_back(s);
    return all;
}

ImportResult importInto(const QString& catalogue, const ImportRequest& request) {
    dbase::Table t;
    t.open(native(catalogue));
    ImportResult r = importRecords(t, request);
    t.close();
    return r;
}

ImportRequest asciiRequest(const QString& path, bool skipFirst) {
    ImportRequest r;
    r.kind = FileKind::Ascii;
    r.path = path;
    const FirstLine first = readFirstLine(path);
    EXPECT_EQ(first.code, FirstLine::Ok) << path.toStdString();
    r.fieldCount = int(first.names.size());
    r.map = defaultFieldMap(r.fieldCount);
    r.skipFirst = skipFirst;
    r.formats.dates = kDates;
    return r;
}

// A record with every field filled, the values the kinds allow; n varies the texts.
std::map<std::string, std::string> fullRecord(int n) {
    std::map<std::string, std::string> r;
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const FieldSlot& s = fieldSlot(slot);
        switch (s.typeCode) {
        case TypeInteger:
            r[s.name] = std::to_string(slot == Slot::Year ? 1950 + n : 90 + n);
            break;
        case TypeFloat:
            r[s.name] = std::to_string(10 + n) + ".25";
            break;
        case TypeDate:
            r[s.name] = "19" + std::to_string(70 + n) + "0131";
            break;
        default:
            r[s.name] = std::string(s.name).substr(0, size_t(std::min(s.width, 10)) - 2) + std::to_string(n);
        }
    }
    r["Title"] = "Ein \"Gr\xc3\xbc\xc3\x9f\" f\xc3\xbcr M\xc3\xbcnchen " + std::to_string(n);
    r["CheckOut"] = n % 2 ? "Yes" : "No";
    r["Viewed"] = "Yes";
    return r;
}

class TransferTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

} // namespace

// The reading rules, one line at a time, for CR LF and LF files.
TEST_F(TransferTest, ReaderSplitsLinesByTheQuotingRules) {
    struct Case {
        const char* line;
        std::vector<const char*> fields;
        bool open;
        bool blank;
    };
    const Case cases[] = {
        {"\"a\",\"b\",\"c\"", {"a", "b", "c"}, false, false},
        {"\"\",\"x\"", {"", "x"}, false, false},
        {"\"say \"\"hi\"\"\",\"b\"", {"say \"hi\"", "b"}, false, false},
        {"\"a, b\",\"c\"", {"a, b", "c"}, false, false},
        {"\"tab\there\"", {"tabhere"}, false, false},
        {"\"a\"x\",\"b\"", {"a\"x", "b"}, false, false}, // a stray quote stays a character
        {"\"open", {"open"}, true, false},
        {"\"a\",", {"a", ""}, true, false},
        {"plain", {"plain"}, true, false},
        {"", {}, false, true},
    };
    for (const char* end : {"\r\n", "\n"}) {
        QByteArray bytes;
        for (const Case& c : cases)
            bytes += QByteArray(c.line) + end;
        ASSERT_TRUE(writeFile(file("lines.txt"), bytes));
        DelimitedReader reader(file("lines.txt"));
        ASSERT_TRUE(reader.open());
        for (const Case& c : cases) {
            DelimitedReader::Record r;
            ASSERT_TRUE(reader.next(r, 10)) << c.line;
            std::vector<std::string> got;
            for (const QByteArray& f : r.fields)
                got.push_back(f.toStdString());
            EXPECT_EQ(got, std::vector<std::string>(c.fields.begin(), c.fields.end())) << c.line;
            EXPECT_EQ(r.lastFieldOpen, c.open) << c.line;
            EXPECT_EQ(r.blank, c.blank) << c.line;
        }
        DelimitedReader::Record r;
        EXPECT_FALSE(reader.next(r, 10));
    }
}

TEST_F(TransferTest, ReaderStopsAtCtrlZAndDropsFieldsBeyondThoseAskedFor) {
    ASSERT_TRUE(writeFile(file("z.txt"), "\"1\",\"2\",\"3\"\r\n\"4\"\r\n\x1a\"5\"\r\n"));
    DelimitedReader reader(file("z.txt"));
    ASSERT_TRUE(reader.open());
    DelimitedReader::Record r;
    ASSERT_TRUE(reader.next(r, 2));
    EXPECT_EQ(r.fields.size(), 2u);
    EXPECT_TRUE(r.moreFields);
    ASSERT_TRUE(reader.next(r, 2));
    EXPECT_EQ(r.fields, std::vector<QByteArray>{"4"});
    EXPECT_FALSE(reader.next(r, 2));
}

// One record read line after line: each line gives its own fields, none left from a longer line
// before it.
TEST_F(TransferTest, ReaderGivesEachLineItsOwnFieldsInOneRecord) {
    ASSERT_TRUE(writeFile(file("r.txt"), "\"long first value\",\"b\",\"c\",\"d\"\r\n"
                                         "\"x\",\"\"\r\n"
                                         "\r\n"
                                         "\"\",\"yy\",\"zzz\"\r\n"
                                         "\"caf\xe9\",\"only two\",\"three\",\"four\",\"five\"\r\n"
                                         "\"open\r\n"));
    const std::vector<std::vector<QByteArray>> lines = {
        {"long first value", "b", "c", "d"},      {"x", ""}, {}, {"", "yy", "zzz"},
        {"caf\xe9", "only two", "three", "four"}, {"open"}};
    DelimitedReader reader(file("r.txt"));
    ASSERT_TRUE(reader.open());
    DelimitedReader::Record r;
    for (const auto& fields : lines) {
        ASSERT_TRUE(reader.next(r, 4));
        EXPECT_EQ(r.fields, fields);
        EXPECT_EQ(r.blank, fields.empty());
        EXPECT_EQ(r.moreFields, fields.size() == 4 && fields[0] == "caf\xe9");
        EXPECT_EQ(r.lastFieldOpen, fields.size() == 1);
    }
    EXPECT_FALSE(reader.next(r, 4));
    EXPECT_TRUE(r.fields.empty());
}

// The first line's check: codes and the import field names.
TEST_F(TransferTest, FirstLineCodesOnCraftedFiles) {
    QByteArray many;
    for (int i = 0; i < 51; ++i)
        many += (i ? ",\"f" : "\"f") + QByteArray::number(i) + '"';
    const struct {
        QByteArray bytes;
        FirstLine::Code code;
    } cases[] = {
        {"\"Title\",\"Year\"\r\n\"x\",\"1\"\r\n", FirstLine::Ok},
        {"\"" + QByteArray(256, 'a') + "\"\r\n", FirstLine::FieldTooLong},
        {"\"" + QByteArray(255, 'a') + "\"\r\n", FirstLine::Ok},
        {"\"Title\",\"Year\r\n\"x\"\r\n", FirstLine::UnexpectedEnd},
        {"\"Title\",Year\r\n", FirstLine::UnexpectedEnd},
        {"\"Title\"", FirstLine::Ok}, // the file ends after the closing quote
        {"", FirstLine::UnexpectedEnd},
        {many + "\r\n", FirstLine::TooManyFields},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeFile(file("first.txt"), c.bytes));
        const FirstLine line = readFirstLine(file("first.txt"));
        EXPECT_EQ(line.code, c.code) << c.bytes.left(60).toStdString();
        if (c.code != FirstLine::Ok) {
            EXPECT_TRUE(firstLineMessage(line).startsWith(
                "The file selected does not appear to be an ASCII delimited text file."));
        }
    }
    ASSERT_TRUE(writeFile(file("names.txt"), "\"A title that is longer than twenty\",\"\",\"Year\"\r\n"));
    EXPECT_EQ(readFirstLine(file("names.txt")).names,
              QStringList({"A title that is long", "<BLANK FIELD>", "Year"}));
    EXPECT_EQ(readFirstLine(file("missing.txt")).code, FirstLine::Unreadable);
}

// The ASCII layout: quotes doubled, blanks trimmed, empty values, CR LF, Windows-1252, a header.
TEST_F(TransferTest, AsciiExportWritesTheDelimitedLayout) {
    makeCatalogue(file("C.DBF"), {{{"Title", "  The \"Duke\" Returns  "},
                                   {"Year", "1961"},
                                   {"PurchDate", "19961224"},
                                   {"ListPrice", "12.5"}},
                                  {{"Title", "Caf\xc3\xa9 Noir"}}});
    dbase::Table t;
    t.open(native(file("C.DBF")), dbase::OpenMode::Shared, true);
    ExportRequest request;
    request.path = file("out.txt");
    request.fieldSlots = {Slot::Year, Slot::Title, Slot::PurchaseDate, Slot::ListPrice};
    request.headerNames = {"Year", "Title", "Purch Date", "List Price"};
    request.dates = kDates;
    const ExportResult r = exportRecords(t, request);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.records, 2u);
    EXPECT_EQ(readFile(file("out.txt")),
              QByteArray("\"Year\",\"Title\",\"Purch Date\",\"List Price\"\r\n"
                         "\"1961\",\"The \"\"Duke\"\" Returns\",\"12/24/1996\",\"12.5000\"\r\n"
                         "\"\",\"Caf\xe9 Noir\",\"\",\"\"\r\n"));
}

// A line as the value texts give it: each value's UTF-8 text in Windows-1252, trimmed of blanks,
// cut at 255 characters, quotes doubled, enclosed in quotes.
QByteArray convertedLine(const dbase::Table& t, const std::vector<int>& fields,
                         const DateFormat& dates = kDates) {
    QByteArray line;
    for (size_t i = 0; i < fields.size(); ++i) {
        std::string text = dbase::CodePage::byName("cp1252").fromUtf8(
            exportValueText(t, fields[i], dates).toUtf8().toStdString());
        text.erase(0, text.find_first_not_of(' ') == std::string::npos ? text.size()
                                                                       : text.find_first_not_of(' '));
        text.erase(text.find_last_not_of(' ') + 1);
        text = text.substr(0, size_t(MaxFieldLength));
        line += i ? ",\"" : "\"";
        for (char c : text)
            line += c == '"' ? QByteArray("\"\"") : QByteArray(1, c);
        line += '"';
    }
    return line + "\r\n";
}

// Text goes out as stored when the table is Windows-1252, and converted from other code pages: both
// give the bytes the value texts give, for every upper-half byte, quotes, blanks and NUL bytes.
TEST_F(TransferTest, AsciiExportOfStoredBytesEqualsTheConvertedTexts) {
    std::vector<std::string> titles;
    for (int from = 0x80; from <= 0xFF; from += 40) {
        std::string bytes;
        for (int b = from; b < from + 40 && b <= 0xFF; ++b)
            bytes += char(b);
        titles.push_back(dbase::CodePage::byName("cp1252").toUtf8(bytes));
    }
    titles.push_back("  lead \"and\" trail  ");
    titles.push_back("\"\"");
    titles.push_back("");
    titles.push_back(std::string("a\0b \0", 5));
    for (const char codePage : {'\x57', '\x01', '\x02'}) {
        SCOPED_TRACE(int(codePage));
        const QString path = file("C.DBF");
        std::vector<std::map<std::string, std::string>> records;
        for (size_t i = 0; i < titles.size(); ++i)
            records.push_back({{"Title", titles[i]},
                               {"Year", std::to_string(1990 + i)},
                               {"ListPrice", "-3.5"},
                               {"PurchDate", i % 2 ? "19961224" : ""}});
        makeCatalogue(path, records);
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.seek(29);
            f.write(&codePage, 1);
        }
        dbase::Table t;
        t.open(native(path), dbase::OpenMode::Shared, true);
        ExportRequest request;
        request.path = file("out.txt");
        request.fieldSlots = {Slot::Title, Slot::Year, Slot::ListPrice, Slot::PurchaseDate};
        request.dates = kDates;
        ASSERT_TRUE(exportRecords(t, request).ok);
        std::vector<int> fields;
        for (int slot : request.fieldSlots)
            fields.push_back(t.fieldIndex(fieldSlot(slot).name));
        QByteArray expected;
        for (bool more = t.first(); more; more = t.next())
            expected += convertedLine(t, fields);
        EXPECT_EQ(readFile(file("out.txt")), expected);
        EXPECT_EQ(readFile(file("out.txt")).count("\r\n"), qsizetype(titles.size()));
    }
}

// Dates go out as their texts in every date format, whatever their day, blank or not a date at all;
// short values with quotes go out doubled wherever they lie in the record (the last field too).
TEST_F(TransferTest, AsciiExportOfDatesEqualsTheirTextsInEveryFormat) {
    const char* dates[] = {"",         "19970304", "20261127", "20000229", "19000228", "19960131",
                           "19961130", "19961201", "00011231", "09990101", "20391029", "19970101"};
    const char* texts[] = {"a\"b", "\"", "plain", "  x  ", "", "sixteen chars ok", "seventeen chars!\""};
    std::vector<std::map<std::string, std::string>> records;
    for (size_t i = 0; i < std::size(dates); ++i)
        records.push_back({{"CheckDate", dates[i]},
                           {"PurchDate", dates[std::size(dates) - 1 - i]},
                           {"Title", texts[i % std::size(texts)]},
                           {"UserDef2", texts[(i + 3) % std::size(texts)]}});
    const QString path = file("C.DBF");
    makeCatalogue(path, records);
    // Stored bytes no date field should hold: a day the month lacks, year 0, blanks inside.
    {
        dbase::Table t;
        t.open(native(path), dbase::OpenMode::Shared, true);
        const dbase::TableInfo info = t.info();
        const int offset = t.fieldOffset(t.fieldIndex("CheckDate"));
        t.close();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const char* odd[] = {"19970231", "00000101", "1997 3 4"};
        for (int r = 0; r < 3; ++r) {
            ASSERT_TRUE(f.seek(info.headerLength + qint64(r) * info.recordLength + offset));
            f.write(odd[r], 8);
        }
    }
    dbase::Table t;
    t.open(native(path), dbase::OpenMode::Shared, true);
    ExportRequest request;
    request.path = file("out.txt");
    request.fieldSlots = {Slot::CheckDate, Slot::Title, Slot::PurchaseDate, Slot::UserDefined2};
    std::vector<int> fields;
    for (int slot : request.fieldSlots)
        fields.push_back(t.fieldIndex(fieldSlot(slot).name));
    for (int code = 0; code <= DateFormat::CodeCount; ++code) {
        for (const bool zeros : {false, true}) {
            SCOPED_TRACE(code * 10 + zeros);
            request.dates = DateFormat(code, zeros);
            const ExportResult r = exportRecords(t, request);
            ASSERT_TRUE(r.ok) << r.message.toStdString();
            QByteArray expected;
            for (bool more = t.first(); more; more = t.next())
                expected += convertedLine(t, fields, request.dates);
            EXPECT_EQ(readFile(file("out.txt")), expected);
        }
    }
}

TEST_F(TransferTest, ExportColumnsFollowTheStoredOrderAndFlags) {
    DatabaseSettings settings;
    for (int slot = 1; slot <= FieldCount; ++slot)
        settings.exportFields[size_t(slot - 1)] = false;
    // Year moved to row 1, Title to row 11, both exported.
    settings.exportOrder[Slot::Year - 1] = 1;
    settings.exportOrder[Slot::Title - 1] = 11;
    settings.exportFields[Slot::Year - 1] = true;
    settings.exportFields[Slot::Title - 1] = true;
    EXPECT_EQ(exportColumns(settings), (std::vector<int>{Slot::Year, Slot::Title}));
    settings.exportFields[Slot::Year - 1] = false;
    settings.exportFields[Slot::Title - 1] = false;
    EXPECT_TRUE(exportColumns(settings).empty());

    dbase::Table t;
    ExportRequest request;
    request.path = file("none.txt");
    EXPECT_EQ(exportRecords(t, request).message, noFieldsSelectedMessage());
    request.fieldSlots = {1};
    request.kind = FileKind::DBase;
    EXPECT_EQ(exportRecords(t, request).message, invalidFileTypeMessage());
}

// Every field of every record survives export and import, through both kinds of file.
TEST_F(TransferTest, RoundTripsGiveEqualRecords) {
    std::vector<std::map<std::string, std::string>> records;
    for (int n = 0; n < 12; ++n)
        records.push_back(fullRecord(n));
    makeCatalogue(file("SRC.DBF"), records);
    const std::vector<QStringList> original = contents(file("SRC.DBF"));
    for (FileKind kind : {FileKind::Ascii, FileKind::DBase}) {
        const QString out = file(kind == FileKind::Ascii ? "all.txt" : "ALL.DBF");
        {
            dbase::Table t;
            t.open(native(file("SRC.DBF")), dbase::OpenMode::Shared, true);
            ExportRequest request;
            request.kind = kind;
            request.path = out;
            request.fieldSlots = allSlots();
            request.dates = kDates;
            if (kind == FileKind::Ascii)
                for (int slot : allSlots())
                    request.headerNames << fieldName(slot);
            ASSERT_TRUE(exportRecords(t, request).ok);
        }
        const QString target = file(kind == FileKind::Ascii ? "A.DBF" : "B.DBF");
        makeCatalogue(target, {});
        ImportRequest request;
        if (kind == FileKind::Ascii) {
            request = asciiRequest(out, true);
        } else {
            const SourceFields fields = readDbfFields(out);
            ASSERT_TRUE(fields.ok);
            EXPECT_EQ(fields.names.first(), "TITLE");
            request.kind = kind;
            request.path = out;
            request.fieldCount = int(fields.names.size());
            request.map = defaultFieldMap(request.fieldCount);
            request.formats.dates = kDates;
        }
        const ImportResult r = importInto(target, request);
        ASSERT_TRUE(r.ok) << r.message.toStdString();
        EXPECT_EQ(r.imported, records.size());
        EXPECT_EQ(r.unreadValues, 0);
        const std::vector<QStringList> back = contents(target);
        ASSERT_EQ(back.size(), original.size());
        for (size_t i = 0; i < back.size(); ++i)
            EXPECT_EQ(back[i], original[i])
                << "record " << i << (kind == FileKind::Ascii ? " ascii" : " dbase");
    }
}

// A dBase export: the column names and types of the data model.
TEST_F(TransferTest, DbaseExportTypesItsColumnsByValueKind) {
    makeCatalogue(file("C.DBF"), {fullRecord(1), {{"Title", "Blank"}}});
    dbase::Table t;
    t.open(native(file("C.DBF")), dbase::OpenMode::Shared, true);
    ExportRequest request;
    request.kind = FileKind::DBase;
    request.path = file("out.dbf");
    request.fieldSlots = {Slot::Title, Slot::Year, Slot::ListPrice, Slot::PurchaseDate};
    ASSERT_TRUE(exportRecords(t, request).ok);
    dbase::Table out;
    out.open(native(file("out.dbf")), dbase::OpenMode::Shared, true);
    ASSERT_EQ(out.fieldCount(), 4);
    const char* names[] = {"TITLE", "YEAR", "LISTPRICE", "PURCHDATE"};
    const char types[] = {'C', 'N', 'N', 'D'};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out.field(i).name, names[i]);
        EXPECT_EQ(out.field(i).type, types[i]);
    }
    EXPECT_EQ(out.field(0).width, 60);
    EXPECT_EQ(out.field(1).decimals, 0);
    EXPECT_GT(out.field(2).decimals, 0);
    EXPECT_FALSE(out.hasProductionIndex());
    ASSERT_TRUE(out.first());
    EXPECT_EQ(out.getNumber(1), 1951);
    EXPECT_EQ(out.getDate(3), "19710131");
    ASSERT_TRUE(out.next());
    EXPECT_TRUE(out.isBlank(1));
    EXPECT_TRUE(out.isBlank(3));
}

// A failed export leaves an existing file as it was and no file of its own.
TEST_F(TransferTest, FailedExportLeavesNoHalfWrittenFile) {
    makeCatalogue(file("C.DBF"), {fullRecord(1)});
    ASSERT_TRUE(writeFile(file("keep.txt"), "old"));
    dbase::Table t;
    t.open(native(file("C.DBF")), dbase::OpenMode::Shared, true);
    ExportRequest request;
    request.fieldSlots = {1};
    request.path = file("no-folder/out.txt");
    ExportResult r = exportRecords(t, request);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains("no-folder")) << r.message.toStdString();
    request.kind = FileKind::DBase;
    request.path = file("no-folder/OUT.DBF");
    r = exportRecords(t, request);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"C.DBF", "keep.txt"}));
}

// With a search in force: the result only, or every record with the search set again after.
TEST_F(TransferTest, ExportDuringASearchWritesTheChosenRecords) {
    makeCatalogue(file("C.DBF"), {{{"Title", "Alpha"}, {"Year", "1980"}},
                                  {{"Title", "Beta"}, {"Year", "1990"}},
                                  {{"Title", "Gamma"}, {"Year", "1980"}}});
    dbase::Table t;
    t.open(native(file("C.DBF")), dbase::OpenMode::Shared, true);
    const int year = t.fieldIndex("Year");
    auto search = [year](const dbase::Table& table) { return table.getNumber(year) == 1980; };
    t.setFilter(search);
    ExportRequest request;
    request.fieldSlots = {Slot::Title};
    request.path = file("result.txt");
    ASSERT_TRUE(exportRecords(t, request).ok);
    EXPECT_EQ(readFile(file("result.txt")), "\"Alpha\"\r\n\"Gamma\"\r\n");

    int ended = 0, restored = 0;
    request.path = file("all.txt");
    request.endSearch = [&] {
        ++ended;
        t.clearFilter();
    };
    request.restoreSearch = [&] {
        ++restored;
        t.setFilter(search);
    };
    ASSERT_TRUE(exportRecords(t, request).ok);
    EXPECT_EQ(readFile(file("all.txt")), "\"Alpha\"\r\n\"Beta\"\r\n\"Gamma\"\r\n");
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(restored, 1);
    EXPECT_TRUE(t.hasFilter());
    EXPECT_EQ(t.recordCount(), 2u);

    // A failing walk sets the search again too.
    request.path = file("missing/all.txt");
    EXPECT_FALSE(exportRecords(t, request).ok);
    EXPECT_EQ(restored, 2);
    EXPECT_TRUE(t.hasFilter());
}

// The import's edge cases: header skipped, fewer fields, doubled quotes, blank lines, a field moved.
TEST_F(TransferTest, AsciiImportEdgeCases) {
    ASSERT_TRUE(writeFile(file("in.txt"),
                          "\"Title\",\"Star\",\"Year\",\"Date\"\r\n"
                          "\"The \"\"Thin\"\" Man\",\"William Powell\",\"1934\",\"05/25/1934\"\r\n"
                          "\"Short\"\r\n"
                          "\r\n"
                          "\"Y\",\"\",\"\",\"December 1\"\n"
                          "\"Z\",\"\",\"19x\",\"13/45/1999\"\r\n"));
    makeCatalogue(file("C.DBF"), {});
    ImportRequest request = asciiRequest(file("in.txt"), true);
    request.map = {Slot::Title, Slot::Star1, Slot::Year, Slot::PurchaseDate};
    ImportResult r = importInto(file("C.DBF"), request);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.imported, 4u);
    EXPECT_EQ(r.unreadValues, 3); // "December 1", "19x", "13/45/1999"
    EXPECT_TRUE(importCompleteMessage(r).startsWith("Import Complete.  3 values could not be read"));
    dbase::Table t;
    t.open(native(file("C.DBF")), dbase::OpenMode::Shared, true);
    const int title = t.fieldIndex("Title"), star = t.fieldIndex("Star1"), year = t.fieldIndex("Year"),
              date = t.fieldIndex("PurchDate");
    ASSERT_TRUE(t.first());
    EXPECT_EQ(t.getText(title), "The \"Thin\" Man");
    EXPECT_EQ(t.getText(star), "William Powell");
    EXPECT_EQ(t.getNumber(year), 1934);
    EXPECT_EQ(t.getDate(date), "19340525");
    ASSERT_TRUE(t.next());
    EXPECT_EQ(t.getText(title), "Short");
    EXPECT_FALSE(t.getNumber(year)); // fields the line lacks stay empty
    EXPECT_EQ(t.getDate(date), "");
    ASSERT_TRUE(t.next());
    EXPECT_EQ(t.getText(title), "Y");
    EXPECT_EQ(t.getNumber(year), 0); // an empty year is 0
    EXPECT_EQ(t.getDate(date), "");  // a month name leaves the date empty
    ASSERT_TRUE(t.next());
    EXPECT_EQ(t.getNumber(year), 19); // read as far as it is a number
    EXPECT_EQ(t.getDate(date), "");   // month 13 is no date
    t.close();

    // Without skipping, the header line is a record; only import field 3 used, into Title.
    makeCatalogue(file("D.DBF"), {});
    request = asciiRequest(file("in.txt"), false);
    request.map = {0, 0, Slot::Title, 0};
    r = importInto(file("D.DBF"), request);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.imported, 5u);
    const std::vector<QStringList> rows = contents(file("D.DBF"));
    EXPECT_EQ(rows[0][0], "Year");
    EXPECT_EQ(rows[1][0], "1934");
    EXPECT_EQ(rows[1][1], "");
}

TEST_F(TransferTest, ImportValueConversions) {
    ValueFormats formats;
    formats.dates = kDates;
    const struct {
        int slot;
        const char* text;
        const char* typed;
        bool read;
    } cases[] = {
        {Slot::Year, "1999", "1999", true},
        {Slot::Year, "", "0", true},
        {Slot::Year, " 1999abc", "1999", false},
        {Slot::Year, "abc", "0", false},
        {Slot::Year, "12345", "0", false},
        {Slot::RunTime, "+95", "95", true},
        {Slot::ListPrice, "12.50", "12.50", true},
        {Slot::ListPrice, "", "", true},
        {Slot::ListPrice, "twelve", "0", false},
        {Slot::ListPrice, "1,5", "0", false},
        {Slot::PurchaseDate, "12/24/1996", "12/24/1996", true},
        {Slot::PurchaseDate, "19961224", "", false},
        {Slot::PurchaseDate, "Dec/24/1996", "", false},
        {Slot::PurchaseDate, "02/30/1996", "", false},
        {Slot::Viewed, "T", "Yes", true},
        {Slot::Viewed, "maybe", "No", false},
        {Slot::RecordingSpeed, "Standard Play", "Standa", true},
    };
    for (const auto& c : cases) {
        const ConvertedValue v = convertImportValue(c.slot, QString::fromUtf8(c.text), formats);
        EXPECT_EQ(v.typed, QString::fromUtf8(c.typed)) << c.slot << " " << c.text;
        EXPECT_EQ(v.read, c.read) << c.slot << " " << c.text;
        EXPECT_TRUE(v.refused.ok());
    }
    const ConvertedValue bad =
        convertImportValue(Slot::Title, QStringLiteral("Box \u2500 Set"), formats, "Title");
    EXPECT_EQ(bad.refused.failed, ValueCheck::Characters);
    EXPECT_TRUE(bad.refused.message.contains(QStringLiteral("\u2500")));
}

// A foreign table in another code page: its letters arrive; a character Windows-1252 cannot hold
// stops the import at that record and keeps the records before it.
TEST_F(TransferTest, ForeignDbaseTablesInOtherCodePages) {
    const QString source = file("FOREIGN.DBF");
    dbase::Table::createRaw(native(source), {{"NAME", 'C', 30, 0},
                                             {"YR", 'N', 4, 0},
                                             {"BOUGHT", 'D', 8, 0},
                                             {"SEEN", 'L', 1, 0},
                                             {"PRICE", 'N', 8, 2}});
    {
        QFile f(source); // language driver 0x01: cp437
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(29);
        f.write("\x01", 1);
    }
    {
        dbase::Table t;
        t.open(native(source));
        ASSERT_EQ(std::string(t.info().codePage), "cp437");
        const char* names[] = {"M\xc3\xbcnchen \xc3\x87"
                               "a",
                               "Stra\xc3\x9f"
                               "e",
                               "Box \xe2\x94\x80 Set", "After"};
        for (int i = 0; i < 4; ++i) {
            t.append();
            t.setText(0, names[i]);
            t.setNumber(1, 1990 + i);
            t.setDate(2, "19950704");
            t.setText(3, i % 2 ? "T" : "F");
            t.setNumber(4, 9.95);
            t.post();
        }
        t.append(); // a deleted record is left out
        t.setText(0, "Deleted");
        t.post();
        t.deleteRecord();
    }
    makeCatalogue(file("C.DBF"), {});
    const SourceFields fields = readDbfFields(source);
    ASSERT_TRUE(fields.ok);
    EXPECT_EQ(fields.names, QStringList({"NAME", "YR", "BOUGHT", "SEEN", "PRICE"}));
    ImportRequest request;
    request.kind = FileKind::DBase;
    request.path = source;
    request.fieldCount = 5;
    request.map = {Slot::Title, Slot::Year, Slot::PurchaseDate, Slot::Viewed, Slot::ListPrice};
    request.formats.dates = kDates;
    const ImportResult r = importInto(file("C.DBF"), request);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.imported, 2u);
    EXPECT_TRUE(r.message.startsWith("Record 3 of the table was not imported.")) << r.message.toStdString();
    EXPECT_TRUE(r.message.contains(QStringLiteral("\u2500")));
    EXPECT_TRUE(importStoppedMessage(r).endsWith("2 records were imported before the import stopped."));
    const std::vector<QStringList> rows = contents(file("C.DBF"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], QString::fromUtf8("M\xc3\xbcnchen \xc3\x87"
                                            "a"));
    EXPECT_EQ(rows[1][0], QString::fromUtf8("Stra\xc3\x9f"
                                            "e"));
    EXPECT_EQ(rows[0][Slot::Year - 1], "1990");
    EXPECT_EQ(rows[0][Slot::PurchaseDate - 1], "07/04/1995");
    EXPECT_EQ(rows[0][Slot::Viewed - 1], "No");
    EXPECT_EQ(rows[1][Slot::Viewed - 1], "Yes");
    EXPECT_EQ(rows[0][Slot::ListPrice - 1].toDouble(), 9.95);
}

// An import that stops half way, into an indexed catalogue shared or held alone: the records before
// the stop are in the table with the header counting them, and the index holds exactly those.
TEST_F(TransferTest, AnImportStoppedHalfWayLeavesRecordsAndIndexWhole) {
    const QString source = file("SOURCE.DBF");
    dbase::Table::createRaw(native(source), {{"NAME", 'C', 30, 0}, {"YR", 'N', 4, 0}});
    {
        QFile f(source); // cp437: its box characters have no Windows-1252 byte
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(29);
        f.write("\x01", 1);
    }
    {
        dbase::Table t;
        t.open(native(source));
        for (int i = 0; i < 300; ++i) {
            t.append();
            t.setText(0, i == 249 ? "Box \xe2\x94\x80 Set" : "Title " + std::to_string((i * 37) % 300));
            t.setNumber(1, 1900 + i % 100);
            t.post();
        }
    }
    for (const dbase::OpenMode mode : {dbase::OpenMode::Shared, dbase::OpenMode::Exclusive}) {
        SCOPED_TRACE(int(mode));
        const QString path = file("C.DBF");
        makeCatalogue(path, {{{"Title", "Before"}}});
        {
            dbase::Table t;
            t.open(native(path), dbase::OpenMode::Exclusive);
            t.addIndex("TITLES", "UPPER(TITLE)");
        }
        ImportRequest request;
        request.kind = FileKind::DBase;
        request.path = source;
        request.fieldCount = 2;
        request.map = {Slot::Title, Slot::Year};
        request.formats.dates = kDates;
        dbase::Table t;
        t.open(native(path), mode);
        const ImportResult r = importRecords(t, request);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.imported, 249u);
        EXPECT_TRUE(r.message.startsWith("Record 250 of the table was not imported."))
            << r.message.toStdString();
        EXPECT_EQ(t.recordCount(), 250u);
        t.close();

        const QByteArray bytes = readFile(path);
        quint32 counted = 0;
        std::memcpy(&counted, bytes.constData() + 4, 4);
        EXPECT_EQ(counted, 250u);
        EXPECT_EQ(bytes[14], 0); // no write left under way
        dbase::Table check;
        check.open(native(path), dbase::OpenMode::Shared, true);
        EXPECT_NO_THROW(check.checkIndexes());
        check.setActiveIndex("TITLES");
        std::vector<std::string> titles;
        for (bool more = check.first(); more; more = check.next())
            titles.push_back(check.getText(check.fieldIndex("Title")));
        ASSERT_EQ(titles.size(), 250u);
        EXPECT_TRUE(std::is_sorted(titles.begin(), titles.end()));
        EXPECT_EQ(std::count(titles.begin(), titles.end(), "Before"), 1);
        EXPECT_EQ(std::count(titles.begin(), titles.end(), "Title 0"), 1);
    }
}

// Values of a dBase table arrive as the engine reads them, whatever bytes the fields hold: blanks
// and NUL bytes inside and around, numerals with blanks and other characters, text of the upper half.
TEST_F(TransferTest, DbaseImportTakesEachValueAsTheEngineReadsIt) {
    const QString source = file("RAW.DBF");
    dbase::Table::createRaw(native(source), {{"NAME", 'C', 12, 0}, {"YR", 'N', 6, 0}, {"PRICE", 'N', 9, 2}});
    const std::string stored[][3] = {
        {"  lead      ", "  1999", "    12.50"},
        {"trail       ", " 19x  ", "  abc    "},
        {std::string("a\0b\0\0       ", 12), std::string("\0\0 12\0", 6), std::string("\0  -3.5   ", 9)},
        {"            ", "      ", "         "},
        {"caf\xe9        ",
         "  \xe9"
         "12 ",
         "   1,5   "},
        {"\"q\"         ", "+95   ", "   .5    "},
    };
    {
        dbase::Table t;
        t.open(native(source));
        for (size_t r = 0; r < std::size(stored); ++r) {
            t.append();
            t.setText(0, "x");
            t.post();
        }
        const dbase::TableInfo info = t.info();
        std::vector<int> offsets;
        for (int f = 0; f < 3; ++f)
            offsets.push_back(t.fieldOffset(f));
        t.close();
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        for (size_t r = 0; r < std::size(stored); ++r)
            for (int field = 0; field < 3; ++field) {
                ASSERT_TRUE(
                    f.seek(info.headerLength + qint64(r) * info.recordLength + offsets[size_t(field)]));
                f.write(stored[r][field].data(), qint64(stored[r][field].size()));
            }
    }
    makeCatalogue(file("C.DBF"), {});
    ImportRequest request;
    request.kind = FileKind::DBase;
    request.path = source;
    request.fieldCount = 3;
    request.map = {Slot::Title, Slot::Year, Slot::ListPrice};
    request.formats.dates = kDates;
    const ImportResult r = importInto(file("C.DBF"), request);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    ASSERT_EQ(r.imported, std::size(stored));
    dbase::Table in, out;
    in.open(native(source), dbase::OpenMode::Shared, true);
    out.open(native(file("C.DBF")), dbase::OpenMode::Shared, true);
    ValueFormats formats;
    formats.dates = kDates;
    const int title = out.fieldIndex("Title"), year = out.fieldIndex("Year"),
              price = out.fieldIndex("ListPrice");
    bool more = in.first();
    for (bool stepped = out.first(); stepped && more; stepped = out.next(), more = in.next()) {
        SCOPED_TRACE(in.recNo());
        EXPECT_EQ(out.getText(title), in.getText(0));
        const ConvertedValue y = convertImportValue(Slot::Year, QString::fromUtf8(in.getText(1)), formats);
        EXPECT_EQ(QString::fromStdString(out.getText(year)), y.typed);
        const ConvertedValue p =
            convertImportValue(Slot::ListPrice, QString::fromUtf8(in.getText(2)), formats);
        EXPECT_EQ(out.getNumber(price).value_or(0), p.typed.toDouble());
    }
}

TEST_F(TransferTest, FieldMapOfTheMatchingGrid) {
    const QStringList names{"Name", "Year", "Extra", "Name"};
    QStringList rows(FieldCount, QStringLiteral("<EMPTY>"));
    std::vector<bool> use(FieldCount, false);
    rows[0] = "Extra";
    use[0] = true;
    rows[10] = "Year";
    use[10] = true;
    rows[5] = "Name";
    use[5] = false;
    EXPECT_EQ(fieldMapFromRows(names, rows, use), (FieldMap{0, Slot::Year, Slot::Title, 0}));
    use[5] = true;
    EXPECT_EQ(fieldMapFromRows(names, rows, use), (FieldMap{6, Slot::Year, Slot::Title, 6}));
    EXPECT_EQ(defaultFieldMap(42).back(), 0);
    EXPECT_EQ(defaultFieldMap(42)[39], 40);
}

TEST_F(TransferTest, TheCatalogueItselfIsNeverTheOtherFile) {
    makeCatalogue(file("C.DBF"), {{{"Title", "One"}}});
    ImportRequest request;
    request.kind = FileKind::DBase;
    request.path = file("C.DBF");
    request.fieldCount = FieldCount;
    request.map = defaultFieldMap(FieldCount);
    const ImportResult r = importInto(file("C.DBF"), request);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.imported, 0u);
    EXPECT_EQ(contents(file("C.DBF")).size(), 1u);

    // Nor is an export over it.
    dbase::Table t;
    t.open(native(file("C.DBF")), dbase::OpenMode::Shared, true);
    for (FileKind kind : {FileKind::Ascii, FileKind::DBase}) {
        ExportRequest out;
        out.kind = kind;
        out.path = file("C.DBF");
        out.fieldSlots = {Slot::Title};
        EXPECT_EQ(exportRecords(t, out).message, catalogueItselfMessage());
    }
    t.close();
    EXPECT_EQ(contents(file("C.DBF")).size(), 1u);
    EXPECT_EQ(contents(file("C.DBF"))[0][0], "One");
}
