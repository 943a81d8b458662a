#include "reports/reportlayout.h"

#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cstring>

#include "base/textfile.h"
#include "catalogue/fieldslots.h"

namespace reports {

namespace {

// ---- little-endian fields ----------------------------------------------------------------

class Writer {
public:
    explicit Writer(QByteArray& bytes) : b_(bytes) {}
    void string(int at, const QString& text, int maxLength) {
        const QByteArray encoded = textfile::toCp1252(QStringView(text).left(maxLength));
        const int n = int(std::min<qsizetype>(encoded.size(), maxLength));
        b_[at] = char(n);
        std::memcpy(b_.data() + at + 1, encoded.constData(), size_t(n));
    }
    void int16(int at, int value) {
        const qint16 v = qint16(std::clamp(value, -32768, 32767));
        qToLittleEndian<qint16>(v, b_.data() + at);
    }
    void int32(int at, qint32 value) { qToLittleEndian<qint32>(value, b_.data() + at); }
    void uint8(int at, int value) { b_[at] = char(std::clamp(value, 0, 255)); }
    void flag(int at, bool value) { b_[at] = value ? 1 : 0; }
    void real(int at, double value) {
        quint64 bits;
        std::memcpy(&bits, &value, sizeof bits);
        qToLittleEndian<quint64>(bits, b_.data() + at);
    }

private:
    QByteArray& b_;
};

class Reader {
public:
    explicit Reader(QByteArrayView bytes) : b_(bytes) {}
    QString string(int at, int maxLength) const {
        const int n = std::min(int(quint8(b_[at])), maxLength);
        return textfile::fromCp1252(b_.sliced(at + 1, n));
    }
    int int16(int at) const { return qFromLittleEndian<qint16>(b_.data() + at); }
    qint32 int32(int at) const { return qFromLittleEndian<qint32>(b_.data() + at); }
    int uint8(int at) const { return quint8(b_[at]); }
    bool flag(int at) const { return b_[at] != 0; }
    double real(int at) const {
        const quint64 bits = qFromLittleEndian<quint64>(b_.data() + at);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    QByteArrayView b_;
};

void writeFont(Writer& w, int at, const LayoutFont& f) {
    w.string(at, f.name, MaxFontNameLength);
    w.int16(at + 51, f.size);
    w.flag(at + 53, f.bold);
    w.flag(at + 54, f.italic);
    w.flag(at + 55, f.underline);
    w.flag(at + 56, f.strikeout);
    w.int32(at + 57, f.color);
}

LayoutFont readFont(const Reader& r, int at) {
    LayoutFont f;
    f.name = r.string(at, MaxFontNameLength);
    f.size = r.int16(at + 51);
    f.bold = r.flag(at + 53);
    f.italic = r.flag(at + 54);
    f.underline = r.flag(at + 55);
    f.strikeout = r.flag(at + 56);
    f.color = r.int32(at + 57);
    return f;
}

void writeLine(Writer& w, int at, const LayoutLine& line) {
    for (int k = 0; k < EntriesPerLine; ++k) {
        const LayoutEntry& e = line[size_t(k)];
        const int p = at + k * EntrySize;
        w.string(p, e.kind, MaxKindLength);
        w.uint8(p + 31, e.isField() ? e.slot : 0);
        w.int16(p + 32, e.width);
        w.string(p + 34, e.label, MaxLabelLength);
    }
}

} // namespace

LayoutLine readLine(QByteArrayView bytes, int at) {
    const Reader r(bytes);
    LayoutLine line;
    for (int k = 0; k < EntriesPerLine; ++k) {
        LayoutEntry& e = line[size_t(k)];
        const int p = at + k * EntrySize;
        e.kind = r.string(p, MaxKindLength);
        e.slot = e.isField() ? r.uint8(p + 31) : 0;
        e.width = r.int16(p + 32);
        e.label = r.string(p + 34, MaxLabelLength);
    }
    return line;
}

// ---- fonts and entries ------------------------------------------------------------------

QString LayoutFont::description() const {
    return QStringLiteral("%1 %2pt").arg(name).arg(size);
}

LayoutEntry LayoutEntry::filler(int width) {
    LayoutEntry e;
    e.width = width;
    return e;
}

LayoutEntry LayoutEntry::text(const QString& label, int width) {
    LayoutEntry e;
    e.kind = LabelKind;
    e.label = label;
    e.width = width;
    return e;
}

LayoutEntry LayoutEntry::field(int slot, int width) {
    LayoutEntry e;
    e.kind = fieldName(slot);
    e.slot = slot;
    e.width = width;
    return e;
}

LayoutEntry LayoutEntry::totalItem(int item, int width) {
    LayoutEntry e;
    e.kind = totalItemName(item);
    e.slot = item;
    e.width = width;
    return e;
}

QString totalItemName(int item) {
    switch (item) {
    case 1:
        return QStringLiteral("Quantity");
    case 2:
        return QStringLiteral("List Price");
    case 3:
        return QStringLiteral("Purchase Price");
    default:
        return {};
    }
}

int totalItemByName(QStringView name) {
    const QStringView trimmed = name.trimmed();
    for (int item = 1; item <= TotalItemCount; ++item)
        if (trimmed.compare(totalItemName(item), Qt::CaseInsensitive) == 0) return item;
    return 0;
}

// ---- lines ------------------------------------------------------------------------------

int usedEntries(const LayoutLine& line) {
    int n = 0;
    while (n < EntriesPerLine && line[size_t(n)].width >= 1)
        ++n;
    return n;
}

int usedWidth(const LayoutLine& line) {
    int sum = 0;
    for (int k = 0, n = usedEntries(line); k < n; ++k)
        sum += line[size_t(k)].width;
    return sum;
}

int fitLine(LayoutLine& line, int reportWidth) {
    int sum = 0;
    int k = 0;
    for (;; ++k) {
        LayoutEntry& e = line[size_t(k)];
        // A width below 1 would end the line (and a negative one would shrink the sum): such an
        // entry takes the rest of the report width.
        if (e.width < 1) e.width = reportWidth;
        sum += e.width;
        if (sum >= reportWidth || k == EntriesPerLine - 1) break;
    }
    line[size_t(k)].width += reportWidth - sum;
    for (int j = k + 1; j < EntriesPerLine; ++j)
        line[size_t(j)].width = 0;
    return k;
}

LayoutLine blankLine(int width) {
    LayoutLine line;
    line[0].width = width;
    return line;
}

// ---- the layout -------------------------------------------------------------------------

ReportLayout ReportLayout::newLayout() {
    ReportLayout l;
    for (int i = 0; i < FontCount; ++i) {
        LayoutFont& f = l.fonts[size_t(i)];
        f.name = QStringLiteral("Courier New");
        f.size = 10;
        f.bold = i != BodyFont && i != UnusedFont;
    }
    l.totals = blankLine(150);
    for (LayoutLine& line : l.body)
        line = blankLine(150);
    return l;
}

QByteArray ReportLayout::toBytes() const {
    QByteArray bytes(LayoutRecordSize, '\0');
    Writer w(bytes);
    w.string(offset::Name, name, MaxNameLength);
    w.int16(offset::Width, width);
    for (int i = 0; i < FontCount; ++i)
        writeFont(w, offset::Fonts + i * FontRecordSize, fonts[size_t(i)]);
    w.flag(offset::ColumnHeaders, columnHeaders);
    w.flag(offset::PageNumbers, pageNumbers);
    w.flag(offset::Landscape, landscape);
    w.flag(offset::DateOnPages, dateOnPages);
    w.flag(offset::UseTotals, useTotals);
    w.int16(offset::LinesPerRecord, linesPerRecord);
    writeLine(w, offset::TotalsLine, totals);
    w.real(offset::TopMargin, topMargin);
    w.real(offset::BottomMargin, bottomMargin);
    w.real(offset::LeftMargin, leftMargin);
    w.real(offset::RightMargin, rightMargin);
    w.flag(offset::VerticalLines, verticalLines);
    w.flag(offset::HorizontalLines, horizontalLines);
    for (int i = 0; i < 3; ++i)
        w.string(offset::Titles + i * (MaxTitleLength + 1), titles[size_t(i)], MaxTitleLength);
    for (int n = 0; n < MaxBodyLines; ++n)
        writeLine(w, offset::BodyLines + n * LineSize, body[size_t(n)]);
    w.flag(offset::GroupLevel1, groupLevel1);
    w.flag(offset::GroupLevel2, groupLevel2);
    return bytes;
}

ReportLayout ReportLayout::fromBytes(QByteArrayView record) {
    Q_ASSERT(record.size() >= LayoutRecordSize);
    const Reader r(record);
    ReportLayout l;
    l.name = r.string(offset::Name, MaxNameLength);
    l.width = r.int16(offset::Width);
    for (int i = 0; i < FontCount; ++i)
        l.fonts[size_t(i)] = readFont(r, offset::Fonts + i * FontRecordSize);
    l.columnHeaders = r.flag(offset::ColumnHeaders);
    l.pageNumbers = r.flag(offset::PageNumbers);
    l.landscape = r.flag(offset::Landscape);
    l.dateOnPages = r.flag(offset::DateOnPages);
    l.useTotals = r.flag(offset::UseTotals);
    l.linesPerRecord = r.int16(offset::LinesPerRecord);
    l.totals = readLine(record, offset::TotalsLine);
    l.topMargin = r.real(offset::TopMargin);
    l.bottomMargin = r.real(offset::BottomMargin);
    l.leftMargin = r.real(offset::LeftMargin);
    l.rightMargin = r.real(offset::RightMargin);
    l.verticalLines = r.flag(offset::VerticalLines);
    l.horizontalLines = r.flag(offset::HorizontalLines);
    for (int i = 0; i < 3; ++i)
        l.titles[size_t(i)] = r.string(offset::Titles + i * (MaxTitleLength + 1), MaxTitleLength);
    for (int n = 0; n < MaxBodyLines; ++n)
        l.body[size_t(n)] = readLine(record, offset::BodyLines + n * LineSize);
    l.groupLevel1 = r.flag(offset::GroupLevel1);
    l.groupLevel2 = r.flag(offset::GroupLevel2);
    return l;
}

int bodyFontSizeForWidth(int width) {
    return width == 150 ? 6 : width == 120 ? 8 : 10;
}

void ReportLayout::switchWidth(int newWidth) {
    width = newWidth;
    const int lines = std::clamp(linesPerRecord, 0, MaxBodyLines);
    for (int n = 0; n < lines; ++n)
        fitLine(body[size_t(n)], newWidth);
    fonts[BodyFont].size = bodyFontSizeForWidth(newWidth);
}

int readInteger(QStringView text, bool* complete) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    long long value = 0;
    qsizetype digits = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits)
        value = std::min<long long>(value * 10 + (text[i].unicode() - u'0'), 1LL << 40);
    if (negative) value = -value;
    if (complete) *complete = digits > 0 && text.sliced(i).trimmed().isEmpty();
    return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

} // namespace reports
