// quillon-cli report: the report generator of the program's report window, to a text file or a PDF.
#include "cli/reportcommand.h"

#include <QGuiApplication>
#include <QPdfWriter>

#include "base/paths.h"
#include "catalogue/catalogue.h"
#include "catalogue/fieldtext.h"
#include "catalogue/settings.h"
#include "catalogue/sortorder.h"
#include "cli/clisupport.h"
#include "dbase/table.h"
#include "find/searchpage.h"
#include "find/searchstate.h"
#include "render/renderer.h"
#include "reports/defaultlayouts.h"
#include "reports/layoutfile.h"
#include "reports/reportrun.h"

namespace cli {

namespace {

// Layout number (from 0) or name (letter case ignored).
int chooseLayout(const QList<reports::ReportLayout>& layouts, const QString& wanted) {
    bool isNumber = false;
    const int n = wanted.toInt(&isNumber);
    if (isNumber) {
        if (n < 0 || n >= layouts.size())
            throw Failure{QStringLiteral("There is no report layout number %1 (the file has %2).")
                              .arg(n)
                              .arg(layouts.size())};
        return n;
    }
    for (int i = 0; i < layouts.size(); ++i)
        if (layouts[i].name.trimmed().compare(wanted.trimmed(), Qt::CaseInsensitive) == 0) return i;
    throw Failure{QStringLiteral("There is no report layout named \"%1\".").arg(wanted)};
}

} // namespace

int reportCommand(const QStringList& args) {
    QStringList rest;
    const QList<QStringList> levels = whereLevels(args, &rest);
    const bool searching = levels.size() > 1 || !levels.first().isEmpty();
    QStringList positional;
    QString layoutOption, textOut, pdfOut, urp;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QString& a = rest[i];
        auto value = [&]() {
            if (i + 1 >= rest.size()) throw UsageError{QStringLiteral("%1 needs a value").arg(a)};
            return rest[++i];
        };
        if (a == QLatin1String("--layout"))
            layoutOption = value();
        else if (a == QLatin1String("--text"))
            textOut = value();
        else if (a == QLatin1String("--pdf"))
            pdfOut = value();
        else if (a == QLatin1String("--file"))
            urp = value();
        else if (a.startsWith(QLatin1String("--")))
            throw UsageError{QStringLiteral("unknown option %1").arg(a)};
        else
            positional << a;
    }
    if (positional.isEmpty()) throw UsageError{QStringLiteral("report needs a FILE")};
    if (positional.size() > 2)
        throw UsageError{QStringLiteral("report: unexpected argument \"%1\"").arg(positional[2])};
    if (positional.size() == 2 && !layoutOption.isEmpty())
        throw UsageError{QStringLiteral("report takes the layout either as LAYOUT or as --layout")};
    if (textOut.isEmpty() == pdfOut.isEmpty())
        throw UsageError{QStringLiteral("report needs one of --text OUT.txt and --pdf OUT.pdf")};
    if (positional.size() == 2) layoutOption = positional[1];
    if (layoutOption.isEmpty()) layoutOption = QStringLiteral("0");

    const QString path = tablePath(positional.first());
    requireCatalogue(path);
    const DatabaseSettings settings = catalogueSettings(path);
    ProgramSettings program;
    program.load(QString());
    DateFormat dates = programDateFormat();

    reports::LayoutFile file(urp.isEmpty() ? reports::LayoutFile::programLayoutFile() : urp);
    QList<reports::ReportLayout> layouts;
    QString error;
    const reports::LayoutFile::Status status = file.load(&layouts, &error);
    // Without a layout file (the program has not run in this folder yet) the built-in reports
    // are there all the same, as the program would write them at its start.
    if (status == reports::LayoutFile::Status::Missing && urp.isEmpty())
        layouts = reports::defaultReportSet();
    else if (status == reports::LayoutFile::Status::Missing ||
             status == reports::LayoutFile::Status::Unreadable)
        throw Failure{QStringLiteral("Report format could not be located.") +
                      (error.isEmpty() ? QString() : QStringLiteral("  ") + error)};
    const reports::ReportLayout& layout = layouts[chooseLayout(layouts, layoutOption)];

    dbase::Table t;
    t.open(enginePath(path), dbase::OpenMode::Shared, true);
    if (usesSortTag(t, path)) t.setActiveIndex(kSortTag);
    SearchState search;
    if (searching) {
        const SearchCriteria criteria = criteriaOfLevels(levels, settings, dates);
        if (!search.start(t, criteria)) throw Failure{noMatchesMessage()};
    }

    reports::ReportSource source;
    source.table = &t;
    for (int slot = 1; slot <= FieldCount; ++slot)
        source.displayNames[std::size_t(slot - 1)] = settings.displayName(slot);
    source.sortLevels = settings.sortLevels;
    source.dates = dates;
    source.numericFormat = program.numericFormat;
    source.currencyFormat = program.currencyFormat;
    source.regional = RegionalValues::fromLocale();

    render::Renderer renderer;
    render::PageStore store;
    reports::ReportRun run(layout, source,
                           textOut.isEmpty() ? reports::ReportRun::Mode::Print
                                             : reports::ReportRun::Mode::TextFile);
    reports::ReportRun::Outcome outcome;
    if (!textOut.isEmpty()) {
        run.setTextFile(textOut);
        outcome = run.run(renderer, store);
    } else {
        QPdfWriter writer(pdfOut);
        writer.setResolution(1200);
        writer.setCreator(QStringLiteral("Quillon Videos 97"));
        writer.setTitle(layout.name);
        render::DeviceSink sink(writer);
        outcome = run.run(renderer, store, &sink);
        QString sinkError;
        if (!sink.finish(&sinkError) && outcome == reports::ReportRun::Outcome::Completed)
            throw Failure{QStringLiteral("%1: %2").arg(pdfOut, sinkError)};
    }
    if (outcome != reports::ReportRun::Outcome::Completed)
        throw Failure{run.error().isEmpty() ? QStringLiteral("The report was not completed.") : run.error()};
    return 0;
}

} // namespace cli
