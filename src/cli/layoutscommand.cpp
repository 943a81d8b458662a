#include "cli/layoutscommand.h"

#include <QFileInfo>
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "reports/layoutfile.h"

namespace cli {

namespace {

using reports::LayoutEntry;
using reports::LayoutFile;
using reports::LayoutLine;
using reports::ReportLayout;

void putText(FILE* f, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
}

int usage(const QString& text) {
    putText(stderr, QStringLiteral("quillon-cli: %1\nTry 'quillon-cli --help'.\n").arg(text));
    return 2;
}

class Lines {
public:
    void field(const char* name) {
        if (!out_.empty()) out_ += '\n';
        out_ += name;
    }
    void value(const QString& v) {
        out_ += '\t';
        const QByteArray utf8 = v.toUtf8();
        appendEscaped(out_, std::string_view(utf8.constData(), size_t(utf8.size())));
    }
    void value(int v) { value(QString::number(v)); }
    void flag(const char* name, bool v) {
        field(name);
        value(v ? QStringLiteral("Yes") : QStringLiteral("No"));
    }
    bool write() {
        out_ += '\n';
        return std::fwrite(out_.data(), 1, out_.size(), stdout) == out_.size() && std::fflush(stdout) == 0;
    }

private:
    std::string out_;
};

QString entryText(const LayoutEntry& e) {
    if (e.isFiller()) return QStringLiteral("filler %1").arg(e.width);
    if (e.isLabel()) return QStringLiteral("label \"%1\" %2").arg(e.label).arg(e.width);
    return QStringLiteral("field %1 (%2) %3").arg(e.kind).arg(e.slot).arg(e.width);
}

void putLine(Lines& out, const LayoutLine& line) {
    const int used = reports::usedEntries(line);
    for (int k = 0; k < used; ++k)
        out.value(entryText(line[size_t(k)]));
}

void show(Lines& out, const ReportLayout& l) {
    static const char* const kFonts[] = {"titles font", "column header font", "body font", "fourth font",
                                         "footnote font"};
    out.field("name");
    out.value(l.name);
    out.field("width");
    out.value(l.width);
    out.field("lines per record");
    out.value(l.linesPerRecord);
    for (int i = 0; i < reports::FontCount; ++i) {
        const reports::LayoutFont& f = l.fonts[size_t(i)];
        out.field(kFonts[i]);
        out.value(f.name);
        out.value(f.size);
        QStringList style;
        if (f.bold) style << QStringLiteral("bold");
        if (f.italic) style << QStringLiteral("italic");
        if (f.underline) style << QStringLiteral("underline");
        if (f.strikeout) style << QStringLiteral("strikeout");
        out.value(style.isEmpty() ? QStringLiteral("regular") : style.join(u' '));
        out.value(QStringLiteral("colour %1").arg(f.color));
    }
    out.flag("column headers", l.columnHeaders);
    out.flag("page numbers", l.pageNumbers);
    out.flag("print landscape", l.landscape);
    out.flag("date on pages", l.dateOnPages);
    out.flag("use totals", l.useTotals);
    out.flag("horizontal lines", l.horizontalLines);
    out.flag("vertical lines", l.verticalLines);
    out.flag("group by level 1", l.groupLevel1);
    out.flag("group by level 2", l.groupLevel2);
    out.field("margins");
    for (double m : {l.topMargin, l.bottomMargin, l.leftMargin, l.rightMargin})
        out.value(QString::number(m, 'f', 2));
    for (int i = 0; i < 3; ++i) {
        out.field("title line");
        out.value(i + 1);
        out.value(l.titles[size_t(i)]);
    }
    out.field("totals line");
    putLine(out, l.totals);
    for (int n = 0; n < reports::MaxBodyLines; ++n) {
        out.field("body line");
        out.value(n + 1);
        putLine(out, l.body[size_t(n)]);
    }
}

} // namespace

int layoutsCommand(const QStringList& args) {
    QString file;
    QString showArg;
    bool showGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool isFile = a == QLatin1String("--file");
        const bool isShow = a == QLatin1String("--show");
        if (!isFile && !isShow) return usage(QStringLiteral("layouts: unexpected argument \"%1\"").arg(a));
        if (i + 1 >= args.size()) return usage(QStringLiteral("%1 needs a value").arg(a));
        if ((isFile && !file.isEmpty()) || (isShow && showGiven))
            return usage(QStringLiteral("%1 given twice").arg(a));
        (isFile ? file : showArg) = args[++i];
        showGiven = showGiven || isShow;
    }
    int index = -1;
    if (showGiven) {
        bool ok = false;
        index = showArg.toInt(&ok);
        if (!ok || index < 0)
            return usage(QStringLiteral("--show needs a layout number from 0, not \"%1\"").arg(showArg));
    }

    const LayoutFile layouts(file.isEmpty() ? LayoutFile::programLayoutFile()
                                            : QFileInfo(file).absoluteFilePath());
    QList<ReportLayout> all;
    QString error;
    const LayoutFile::Status status = layouts.load(&all, &error);
    if (status == LayoutFile::Status::Missing) {
        putText(stderr, QStringLiteral("%1: no such file\n").arg(layouts.path()));
        return 1;
    }
    if (status == LayoutFile::Status::Unreadable) {
        putText(stderr, error + u'\n');
        return 1;
    }

    Lines out;
    if (showGiven) {
        if (index >= all.size()) {
            putText(stderr, status == LayoutFile::Status::Damaged
                                ? error + u'\n'
                                : QStringLiteral("There is no report layout number %1 in \"%2\".\n")
                                      .arg(index)
                                      .arg(layouts.path()));
            return 1;
        }
        show(out, all[index]);
    } else {
        out.field("number");
        out.value(QStringLiteral("name"));
        out.value(QStringLiteral("width"));
        out.value(QStringLiteral("lines per record"));
        for (qsizetype n = 0; n < all.size(); ++n) {
            out.field(std::to_string(n).c_str());
            out.value(all[n].name);
            out.value(all[n].width);
            out.value(all[n].linesPerRecord);
        }
    }
    if (!all.isEmpty() || !showGiven) {
        if (!out.write()) {
            putText(stderr, QStringLiteral("cannot write the output\n"));
            return 1;
        }
    }
    // A damaged file is listed as far as it goes, and reported.
    if (status == LayoutFile::Status::Damaged) {
        putText(stderr, error + u'\n');
        return 1;
    }
    return 0;
}

} // namespace cli
