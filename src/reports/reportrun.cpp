#include "reports/reportrun.h"

#include <QFont>
#include <cmath>

#include "base/textfile.h"
#include "catalogue/fieldtext.h"
#include "catalogue/session.h"
#include "dbase/table.h"

namespace reports {

namespace {

// Matches no value a field can hold (a group value is at most 120 characters).
const QString Sentinel = QString(121, QChar(0xFFFF));
constexpr int GroupValueLength = 120;
constexpr double CellMargin = 0.02;
constexpr double HeaderTop = 0.5, HeaderBottom = 1.25;

// A total as its text reads as a real number; anything else adds nothing.
double totalValue(const dbase::Table& table, int field) {
    if (field < 0) return 0;
    bool ok = false;
    const double v = QString::fromStdString(table.getText(field)).trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

QString padRight(const QString& text, int width) {
    return text.left(width).leftJustified(width, QLatin1Char(' '));
}

QString padLeft(const QString& text, int width) {
    return text.left(width).rightJustified(width, QLatin1Char(' '));
}

} // namespace

ReportSource ReportSource::fromSession(Session& session) {
    ReportSource s;
    s.table = &session.table();
    for (int slot = 1; slot <= FieldCount; ++slot)
        s.displayNames[std::size_t(slot - 1)] = session.displayName(slot);
    s.sortLevels = session.database().sortLevels;
    s.dates = session.dateFormat();
    s.numericFormat = session.program().numericFormat;
    s.currencyFormat = session.program().currencyFormat;
    s.regional = session.regional();
    return s;
}

ReportRun::ReportRun(const ReportLayout& layout, ReportSource source, Mode mode)
    : layout_(layout), source_(std::move(source)), mode_(mode) {
    fieldIndex_.fill(-1);
    if (source_.table && source_.table->isOpen())
        for (int slot = 1; slot <= FieldCount; ++slot)
            fieldIndex_[std::size_t(slot)] = source_.table->fieldIndex(fieldSlot(slot).name);
}

ReportRun::~ReportRun() = default;

QString ReportRun::fieldValue(const dbase::Table& table, int slot, const ReportSource& source) {
    if (slot < 1 || slot > FieldCount) return {};
    const FieldSlot& f = fieldSlot(slot);
    const int field = table.fieldIndex(f.name);
    if (field < 0) return {};
    if (f.letter != 'N') return fieldText(table, field, source.dates);
    const std::optional<double> number = table.getNumber(field);
    if (!number) return {};
    switch (slot) {
    case Slot::ListPrice:
    case Slot::PurchasePrice:
        return money(0, *number, source.currencyFormat, source.regional);
    case Slot::Year:
        return plainNumber(0, 0, *number, source.numericFormat, source.regional);
    default:
        return groupedNumber(0, 0, *number, source.numericFormat, source.regional);
    }
}

QString ReportRun::value(int slot) const {
    if (slot < 1 || slot > FieldCount || fieldIndex_[std::size_t(slot)] < 0) return {};
    return fieldValue(*source_.table, slot, source_);
}

QFont ReportRun::font(FontRole role, QColor* color) const {
    const LayoutFont& f = layout_.fonts[std::size_t(role)];
    QFont font(f.name.isEmpty() ? QStringLiteral("Arial") : f.name);
    font.setPointSizeF(f.size > 0 ? f.size : 8);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeout);
    font.setStyleHint(QFont::SansSerif);
    if (color) *color = QColor(f.color & 0xff, (f.color >> 8) & 0xff, (f.color >> 16) & 0xff);
    return font;
}

ReportRun::Outcome ReportRun::run(render::Renderer& renderer, render::PageStore& store,
                                  render::PageSink* sink) {
    error_.clear();
    renderer.setLandscape(layout_.landscape);
    renderer.setMargins(layout_.topMargin, layout_.bottomMargin, layout_.leftMargin, layout_.rightMargin);
    renderer.setDrawing(!textMode());
    if (textMode()) {
        text_ = std::make_unique<QSaveFile>(textPath_);
        if (!text_->open(QIODevice::WriteOnly)) {
            error_ = QStringLiteral("The report file %1 could not be created.  %2")
                         .arg(textPath_, text_->errorString());
            text_.reset();
            return Outcome::Failed;
        }
    }
    const bool completed = renderer.run(*this, store, sink);
    if (text_) {
        bool written = false;
        if (completed && error_.isEmpty()) {
            written = text_->commit();
            if (!written && error_.isEmpty())
                error_ = QStringLiteral("The report file %1 could not be written.  %2")
                             .arg(textPath_, text_->errorString());
        } else {
            text_->cancelWriting();
        }
        text_.reset();
        if (completed && !written) return Outcome::Failed;
    }
    if (!error_.isEmpty()) return Outcome::Failed;
    return completed ? Outcome::Completed : Outcome::Cancelled;
}

void ReportRun::beforeRun(render::Renderer& r) {
    r.setStatusFormat(QStringLiteral("Printing Page %p\r%0\r%1"));
    r.setStatusLine(0, QString());
    r.setStatusLine(1, QString());
    printable_ = std::max(0.1, r.pageWidth() - layout_.leftMargin - layout_.rightMargin);
    QColor color;
    const QFont body = font(BodyFont, &color);
    r.setFont(body, color);

    group1_ = group2_ = 0;
    if (layout_.groupLevel1) {
        for (int slot : source_.sortLevels) {
            if (slot < 1 || slot > FieldCount) continue;
            if (!group1_)
                group1_ = slot;
            else if (!group2_) {
                group2_ = slot;
                break;
            }
        }
        if (!layout_.groupLevel2) group2_ = 0;
    }
    previous1_ = previous2_ = Sentinel;
    headingPending_ = footerPending_ = false;
    firstGroup_ = true;
    finalDone_ = false;
    group_ = grand_ = Totals();
    atEnd_ = !source_.table || !source_.table->isOpen() || !source_.table->first();
}

void ReportRun::afterRun(render::Renderer&) {}

void ReportRun::writeText(const QString& line) {
    if (!text_ || !error_.isEmpty()) return;
    QByteArray bytes = textfile::toCp1252(line);
    bytes += "\r\n";
    if (text_->write(bytes) != bytes.size())
        error_ = QStringLiteral("The report file %1 could not be written.  %2")
                     .arg(textPath_, text_->errorString());
}

void ReportRun::writeLine(render::Renderer& r, const QString& line) {
    writeText(line);
    r.newLine();
}

void ReportRun::pageHeader(render::Renderer& r) {
    if (textMode()) {
        for (const QString& title : layout_.titles)
            if (!title.isEmpty()) writeText(title);
        return;
    }
    r.setSection(HeaderTop, HeaderBottom);
    r.goToSectionTop();
    QColor color;
    r.setFont(font(TitlesFont, &color), color);
    for (const QString& title : layout_.titles) {
        if (title.isEmpty()) continue;
        r.printCentred(title, r.pageWidth() / 2);
        r.newLine();
    }
}

void ReportRun::pageFooter(render::Renderer& r) {
    // A layout may leave out the page number, the date or both.
    const QString page =
        layout_.pageNumbers ? QStringLiteral("Page ") + QString::number(r.pageNumber()) : QString();
    const QString date = layout_.dateOnPages ? source_.dates.format(source_.today) : QString();
    if (textMode()) {
        writeText(QString());
        QString line = layout_.pageNumbers ? page + QString(5, QLatin1Char(' ')) : QString();
        if (layout_.dateOnPages) line += QString(5, QLatin1Char(' ')) + date;
        writeText(line + QChar(12));
        return;
    }
    const double bottom = r.pageHeight() - layout_.bottomMargin;
    r.setSection(bottom - 0.5, bottom);
    r.goToSectionTop();
    QColor color;
    r.setFont(font(FootnoteFont, &color), color);
    if (layout_.pageNumbers) r.printInSection(page, render::Justify::Left);
    if (layout_.dateOnPages) r.printInSection(date, render::Justify::Right);
}

double ReportRun::cellWidth(int entryWidth) const {
    return layout_.width > 0 ? double(entryWidth) / layout_.width * printable_ : 0.0;
}

void ReportRun::setLineCells(render::Renderer& r, const LayoutLine& line, bool bodyJustify, int lines) const {
    r.clearCells();
    const int used = usedEntries(line);
    for (int i = 0; i < used; ++i) {
        const LayoutEntry& e = line[std::size_t(i)];
        render::Cell cell;
        cell.width = cellWidth(e.width);
        cell.margin = CellMargin;
        cell.lines = lines;
        if (i == 0) cell.left = layout_.leftMargin;
        if (bodyJustify)
            cell.justify =
                e.isField() && fieldSlot(std::clamp(e.slot, 1, FieldCount)).letter == 'N' && e.slot >= 1
                    ? render::Justify::Right
                    : render::Justify::Left;
        else
            cell.justify = e.isLabel() ? render::Justify::Right : render::Justify::Left;
        r.addCell(cell);
    }
}

void ReportRun::setBodyCells(render::Renderer& r, const LayoutLine& line, int lines) const {
    setLineCells(r, line, true, lines);
}

QString ReportRun::textLine(const LayoutLine& line,
                            const std::function<QString(const LayoutEntry&)>& valueOf) const {
    QString out;
    const int used = usedEntries(line);
    for (int i = 0; i < used; ++i) {
        const LayoutEntry& e = line[std::size_t(i)];
        if (e.isFiller())
            out += QString(e.width, QLatin1Char(' '));
        else if (e.isLabel())
            out += padLeft(e.label, e.width);
        else
            out += padRight(valueOf(e), e.width);
    }
    return out;
}

void ReportRun::printLine(render::Renderer& r, const LayoutLine& line,
                          const std::function<QString(const LayoutEntry&)>& valueOf) {
    if (textMode()) {
        writeLine(r, textLine(line, valueOf));
        return;
    }
    const int used = usedEntries(line);
    for (int i = 0; i < used; ++i) {
        const LayoutEntry& e = line[std::size_t(i)];
        r.printCell(e.isFiller() ? QString() : e.isLabel() ? e.label : valueOf(e));
    }
    r.newLine();
}

void ReportRun::printRecord(render::Renderer& r) {
    const auto fieldOf = [this](const LayoutEntry& e) { return value(e.slot); };
    const int lines = std::clamp(layout_.linesPerRecord, 0, MaxBodyLines);
    if (lines == 1) {
        printLine(r, layout_.body[0], fieldOf);
        return;
    }
    for (int n = 0; n < lines; ++n) {
        if (!textMode()) setLineCells(r, layout_.body[std::size_t(n)], false, render::NoLines);
        printLine(r, layout_.body[std::size_t(n)], fieldOf);
    }
}

void ReportRun::addToTotals() {
    const double list = totalValue(*source_.table, fieldIndex_[Slot::ListPrice]);
    const double purchase = totalValue(*source_.table, fieldIndex_[Slot::PurchasePrice]);
    for (Totals* t : {&group_, &grand_}) {
        t->count += 1;
        t->listPrice += list;
        t->purchasePrice += purchase;
    }
}

bool ReportRun::pageBody(render::Renderer& r) {
    if (!error_.isEmpty()) return false;
    r.setSection(HeaderBottom, r.pageHeight() - layout_.bottomMargin - 0.75);
    r.goToSectionTop();
    const int lines = std::clamp(layout_.linesPerRecord, 0, MaxBodyLines);
    boxLines_ = 0;
    if (lines == 1) {
        if (layout_.verticalLines) boxLines_ |= render::LeftLine | render::RightLine;
        if (layout_.horizontalLines) boxLines_ |= render::TopLine | render::BottomLine;
    }
    QColor color;
    if (lines == 1 && layout_.columnHeaders) {
        r.setFont(font(ColumnHeaderFont, &color), color);
        const LayoutLine& first = layout_.body[0];
        const auto headerOf = [this](const LayoutEntry& e) {
            return e.slot >= 1 && e.slot <= FieldCount ? source_.displayNames[std::size_t(e.slot - 1)]
                                                       : QString();
        };
        if (textMode()) {
            writeLine(r, textLine(first, headerOf));
        } else {
            setLineCells(r, first, false, boxLines_);
            r.clearCells();
            for (int i = 0; i < usedEntries(first); ++i) {
                render::Cell cell;
                cell.width = cellWidth(first[std::size_t(i)].width);
                cell.justify = render::Justify::Centre;
                cell.lines = boxLines_;
                if (i == 0) cell.left = layout_.leftMargin;
                r.addCell(cell);
            }
            for (int i = 0; i < usedEntries(first); ++i) {
                const LayoutEntry& e = first[std::size_t(i)];
                r.printCell(e.isField() ? headerOf(e) : QString());
            }
            r.newLine();
        }
    }
    r.setFont(font(BodyFont, &color), color);
    if (lines == 1) setBodyCells(r, layout_.body[0], boxLines_);

    const int progressBefore = progress_;
    bool breakAsked = false;
    while (!atEnd_ && !breakAsked && r.linesLeft() >= lines && error_.isEmpty() && !r.aborted()) {
        if (footerPending_) breakAsked = tryGroupFooter(r);
        if (!breakAsked && headingPending_) breakAsked = tryGroupHeading(r);
        if (breakAsked) break;
        if (group1_) {
            const QString v1 = value(group1_).left(GroupValueLength);
            bool change = false;
            if (group2_) {
                const QString v2 = value(group2_).left(GroupValueLength);
                if (v2 != previous2_) {
                    previous2_ = v2;
                    change = true;
                } else {
                    change = v1 != previous1_;
                }
            } else {
                change = v1 != previous1_;
            }
            if (change) {
                previous1_ = v1;
                if (tryGroupFooter(r)) {
                    headingPending_ = true;
                    breakAsked = true;
                } else {
                    breakAsked = tryGroupHeading(r);
                }
            }
        }
        if (breakAsked) break;
        printRecord(r);
        ++progress_;
        if (layout_.useTotals) addToTotals();
        atEnd_ = !source_.table->next();
    }
    if (atEnd_ && !finalDone_ && error_.isEmpty()) tryFinalTotals(r);
    if (progress_ == progressBefore && !(atEnd_ && finalDone_) && error_.isEmpty())
        // Not even a record or a heading fits in the body of an empty page (enormous fonts or
        // margins): stop rather than make empty pages for ever.
        error_ = QStringLiteral("The page is too small for a record of this report.  Choose smaller fonts "
                                "or margins.");
    return !(atEnd_ && finalDone_) && error_.isEmpty();
}

bool ReportRun::tryGroupHeading(render::Renderer& r) {
    const int lines = std::clamp(layout_.linesPerRecord, 0, MaxBodyLines);
    // The heading keeps its first record with it: a blank line and the boxed text (in a text file
    // a blank line and three lines of text).
    const int needed = lines + (textMode() ? 4 : 2);
    if (r.linesLeft() < needed) {
        headingPending_ = true;
        return true;
    }
    headingPending_ = false;
    ++progress_;
    QString text = previous1_;
    if (group2_) text += QStringLiteral(", ") + previous2_;
    if (textMode()) {
        const QString indent(std::max(0, int((layout_.width - text.size()) / 2)), QLatin1Char(' '));
        writeLine(r, QString());
        writeLine(r, indent + QString(text.size(), QLatin1Char('-')));
        writeLine(r, indent + text);
        writeLine(r, indent + QString(text.size(), QLatin1Char('-')));
        return false;
    }
    r.newLine();
    double width = r.textWidth(text);
    double boxLeft = 0, boxWidth = 0;
    if (width > printable_ - 0.2) {
        text = r.fitText(text, printable_ - 0.2);
        width = r.textWidth(text);
        boxLeft = layout_.leftMargin;
        boxWidth = printable_;
    } else {
        boxWidth = width + 0.2;
        boxLeft = layout_.leftMargin + (printable_ - boxWidth) / 2;
    }
    r.clearCells();
    render::Cell cell;
    cell.left = boxLeft;
    cell.width = boxWidth;
    cell.justify = render::Justify::Centre;
    cell.lines = render::AllLines;
    cell.margin = 0;
    r.addCell(cell);
    r.printCell(text);
    r.newLine();
    if (lines == 1) setBodyCells(r, layout_.body[0], boxLines_);
    return false;
}

bool ReportRun::tryGroupFooter(render::Renderer& r) {
    if (firstGroup_) {
        firstGroup_ = false;
        footerPending_ = false;
        return false;
    }
    if (!layout_.useTotals) {
        footerPending_ = false;
        return false;
    }
    const int lines = std::clamp(layout_.linesPerRecord, 0, MaxBodyLines);
    if (r.linesLeft() < lines + 3) {
        footerPending_ = true;
        return true;
    }
    footerPending_ = false;
    ++progress_;
    printCaption(r, QStringLiteral("TOTALS"));
    printTotals(r, group_);
    group_ = Totals();
    if (lines == 1 && !textMode()) setBodyCells(r, layout_.body[0], boxLines_);
    return false;
}

bool ReportRun::tryFinalTotals(render::Renderer& r) {
    if (!layout_.useTotals) {
        finalDone_ = true;
        return false;
    }
    if (r.linesLeft() < 5) return true;
    ++progress_;
    printCaption(r, QStringLiteral("TOTALS"));
    printTotals(r, group_);
    if (textMode())
        writeLine(r, QString());
    else
        r.newLine();
    printCaption(r, QStringLiteral("GRAND TOTALS"));
    printTotals(r, grand_);
    finalDone_ = true;
    return false;
}

void ReportRun::printCaption(render::Renderer& r, const QString& caption) {
    if (textMode()) {
        writeLine(r, QString(std::max(0, int((layout_.width - caption.size()) / 2)), QLatin1Char(' ')) +
                         caption);
        return;
    }
    QString text = caption;
    double width = r.textWidth(text);
    if (width > printable_ - 0.2) {
        text = r.fitText(text, printable_ - 0.2);
        width = r.textWidth(text);
    }
    r.clearCells();
    render::Cell cell;
    cell.width = width + 0.2;
    cell.left = layout_.leftMargin + (printable_ - cell.width) / 2;
    cell.justify = render::Justify::Centre;
    cell.lines = render::BottomLine;
    cell.margin = 0;
    r.addCell(cell);
    r.printCell(text);
    r.newLine();
}

QString ReportRun::totalText(const LayoutEntry& e, const Totals& totals) const {
    switch (e.slot) {
    case 1:
        return groupedNumber(0, 0, totals.count, source_.numericFormat, source_.regional);
    case 2:
        return money(0, totals.listPrice, source_.currencyFormat, source_.regional);
    case 3:
        return money(0, totals.purchasePrice, source_.currencyFormat, source_.regional);
    default:
        return {};
    }
}

void ReportRun::printTotals(render::Renderer& r, const Totals& totals) {
    if (!textMode()) setLineCells(r, layout_.totals, false, render::NoLines);
    printLine(r, layout_.totals, [&](const LayoutEntry& e) { return totalText(e, totals); });
}

} // namespace reports
