// quillon-cli labels: one sheet of face or spine labels as PDF, by the same code as the program's
// label run.
#include <QFileInfo>
#include <QStringList>

#include "base/paths.h"
#include "catalogue/catalogue.h"
#include "catalogue/settings.h"
#include "catalogue/sortorder.h"
#include "cli/clisupport.h"
#include "dbase/table.h"
#include "reports/labelsheet.h"
#include "reports/labelstock.h"

namespace cli {

namespace {

QString valueOf(const QStringList& args, qsizetype& i) {
    if (i + 1 >= args.size()) throw UsageError{QStringLiteral("%1 needs a value").arg(args[i])};
    return args[++i];
}

// --items: the label items to print, every other one off.
reports::LabelItems itemsNamed(const QString& list) {
    reports::LabelItems items{false, false, false, false, false, false, false, false};
    for (const QString& raw : list.split(u',', Qt::SkipEmptyParts)) {
        const QString n = raw.trimmed().toLower();
        if (n == QLatin1String("title"))
            items.title = true;
        else if (n == QLatin1String("rating"))
            items.rating = true;
        else if (n == QLatin1String("start") || n == QLatin1String("start-counter"))
            items.startCounter = true;
        else if (n == QLatin1String("stop") || n == QLatin1String("stop-counter"))
            items.stopCounter = true;
        else if (n == QLatin1String("year"))
            items.year = true;
        else if (n == QLatin1String("time") || n == QLatin1String("play-time"))
            items.playTime = true;
        else if (n == QLatin1String("category"))
            items.category = true;
        else if (n == QLatin1String("media") || n == QLatin1String("media-number"))
            items.mediaNumber = true;
        else
            throw UsageError{
                QStringLiteral("--items: unknown item \"%1\" (title, rating, start, stop, year, time, "
                               "category, media)")
                    .arg(raw.trimmed())};
    }
    return items;
}

} // namespace

int cmdLabels(const QStringList& args) {
    QStringList positional;
    int kind = 0; // 1 face, 2 spine
    int style = 1;
    QString media, pdf, itemList;
    bool haveMedia = false, haveItems = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--face") || a == QLatin1String("--spine")) {
            const int k = a == QLatin1String("--face") ? 1 : 2;
            if (kind && kind != k)
                throw UsageError{QStringLiteral("labels takes --face or --spine, not both")};
            kind = k;
        } else if (a == QLatin1String("--style")) {
            const QString v = valueOf(args, i);
            bool ok = false;
            style = v.toInt(&ok);
            if (!ok || style < 1 || style > reports::LabelStyleCount)
                throw UsageError{
                    QStringLiteral("--style needs a label style from 1 to 5, not \"%1\"").arg(v)};
        } else if (a == QLatin1String("--media")) {
            media = valueOf(args, i);
            haveMedia = true;
        } else if (a == QLatin1String("--items")) {
            itemList = valueOf(args, i);
            haveItems = true;
        } else if (a == QLatin1String("--pdf")) {
            pdf = valueOf(args, i);
        } else if (a.startsWith(QLatin1String("--"))) {
            throw UsageError{QStringLiteral("unknown option %1").arg(a)};
        } else {
            positional << a;
        }
    }
    if (positional.isEmpty()) throw UsageError{QStringLiteral("labels needs a FILE")};
    if (positional.size() > 1)
        throw UsageError{QStringLiteral("labels: unexpected argument \"%1\"").arg(positional[1])};
    if (!kind) throw UsageError{QStringLiteral("labels needs --face or --spine")};
    if (!haveMedia) throw UsageError{QStringLiteral("labels needs --media M1,M2,...")};
    if (pdf.isEmpty()) throw UsageError{QStringLiteral("labels needs --pdf OUT.pdf")};

    const QString path = tablePath(positional.first());
    requireCatalogue(path);
    ProgramSettings program;
    QString error;
    if (!program.load(QString(), &error)) throw Failure{error};
    DatabaseSettings settings;
    settings.loadForTable(path, ProgramPaths::programSettingsFile());

    const int code =
        reports::labelCode(kind == 1 ? reports::LabelType::Face : reports::LabelType::Spine, style);
    const LabelDimensions dims = reports::stockDimensions(code, program);
    const int count = reports::positionCount(code, dims);
    QStringList numbers = media.split(u',');
    if (numbers.size() > count)
        throw UsageError{QStringLiteral("--media gives %1 media numbers; the sheet has %2 labels")
                             .arg(numbers.size())
                             .arg(count)};
    for (QString& n : numbers)
        n = reports::positionMediaNumber(n);
    while (numbers.size() < count)
        numbers << QString();

    const reports::LabelItems items = haveItems ? itemsNamed(itemList) : reports::labelItems(settings);
    if (!items.any()) throw Failure{reports::noItemsMessage()};
    if (!reports::anyMediaNumber(numbers)) throw Failure{reports::noMediaNumbersMessage()};

    dbase::Table t;
    t.open(enginePath(path), dbase::OpenMode::Shared, true);
    if (!t.indexStale() && usesSortTag(t, path)) t.setActiveIndex(kSortTag);
    const reports::LabelRequest request{code,
                                        dims,
                                        numbers,
                                        items,
                                        reports::labelFont(settings.reportLabelFont),
                                        reports::labelFontColor(settings.reportLabelFont)};
    if (!reports::writeLabelSheetPdf(t, request, QFileInfo(pdf).absoluteFilePath(), &error))
        throw Failure{error};
    return 0;
}

} // namespace cli
