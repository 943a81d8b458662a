// quillon-bench find FILE [--replace]: the finding operations over a catalogue, each timed on its
// own in this process, with the table opened in its NewIndex order as the program opens it:
//   the record count of a search on a text criterion (title contains AN),
//   the record count of a two-level search (title contains THE and year above 1990, or category
//   contains DRAMA),
//   the viewer's first screen after Ok (search applied, the viewer model's order and 40 rows),
//   a locate from the first record, partial anywhere, that finds nothing,
//   with --replace: a search and replace of the commonest category, about a tenth of the records
//   (the file is changed: give it a copy).
#include "find_bench.h"

#include <QFileInfo>
#include <chrono>
#include <cstdio>
#include <map>

#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "catalogue/sortorder.h"
#include "catalogue/viewermodel.h"
#include "dbase/table.h"
#include "find/locate.h"
#include "find/replace.h"
#include "find/searchpage.h"
#include "find/searchstate.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void report(const char* what, double secs, const std::string& extra) {
    std::printf("  %-52s %8.3f s  %s\n", what, secs, extra.c_str());
    std::fflush(stdout);
}

void openInOrder(dbase::Table& t, const std::string& path) {
    t.open(path, dbase::OpenMode::Shared);
    for (const auto& tag : t.tags())
        if (QString::fromStdString(tag.name).compare(QLatin1String(kSortTag), Qt::CaseInsensitive) == 0)
            t.setActiveIndex(kSortTag);
}

SearchCriteria criteria(const std::vector<std::vector<std::pair<int, QString>>>& levels) {
    SearchCriteria c;
    const DateFormat dates(7, true);
    for (const auto& rows : levels) {
        SearchPage page;
        for (const auto& [slot, cell] : rows) {
            page.cell(slot) = cell;
            if (rowKind(slot) != RowKind::Text) page.op(slot) = operatorOfCell(cell);
        }
        savePage(c, page, dates);
    }
    return c;
}

} // namespace

int findBench(const QStringList& args) {
    if (args.isEmpty()) {
        std::fprintf(stderr, "Usage: quillon-bench find FILE [--replace]\n");
        return 2;
    }
    const QString file = args[0];
    const bool replace = args.contains(QStringLiteral("--replace"));
    const std::string path = enginePath(file);
    const DateFormat dates(7, true);
    try {
        std::printf("finding over %s (%.1f MB)\n", qPrintable(file), double(QFileInfo(file).size()) / 1e6);
        {
            dbase::Table t;
            openInOrder(t, path);
            SearchState s;
            const auto start = Clock::now();
            const bool any = s.start(t, criteria({{{Slot::Title, QStringLiteral("an")}}}));
            const uint32_t n = any ? t.recordCount() : 0;
            report("search count, Title: an", since(start), std::to_string(n) + " records");
        }
        {
            dbase::Table t;
            openInOrder(t, path);
            SearchState s;
            const auto start = Clock::now();
            const bool any =
                s.start(t, criteria({{{Slot::Title, QStringLiteral("the")}, {Slot::Year, "> 1990"}},
                                     {{Slot::Category, QStringLiteral("drama")}}}));
            const uint32_t n = any ? t.recordCount() : 0;
            report("search count, two levels", since(start), std::to_string(n) + " records");
        }
        {
            dbase::Table t;
            openInOrder(t, path);
            SearchState s;
            ViewerModel model(t);
            model.reload();
            const auto start = Clock::now();
            s.start(t, criteria({{{Slot::Title, QStringLiteral("an")}}}));
            model.reload();
            size_t chars = 0;
            for (int row = 0; row < 40 && row < model.rowCount(); ++row)
                for (int col = 0; col < FieldCount; ++col)
                    chars += size_t(model.data(model.index(row, col)).toString().size());
            report("viewer's first screen after Ok (Title: an)", since(start),
                   std::to_string(model.rowCount()) + " rows, " + std::to_string(chars) + " chars");
        }
        {
            dbase::Table t;
            openInOrder(t, path);
            const auto start = Clock::now();
            const LocateResult r = locateRecord(
                t, LocateRequest{QStringLiteral("TITLE"), QStringLiteral("qqqq"), MatchType::Anywhere, false},
                true, dates);
            report("locate, partial anywhere, no match", since(start),
                   r.status == LocateStatus::NotFound ? "not found" : "FOUND?");
        }
        if (replace) {
            // The commonest category.
            std::map<std::string, uint32_t> counts;
            QString expression;
            {
                dbase::Table t;
                t.open(path, dbase::OpenMode::Shared, true);
                const int f = t.fieldIndexOrThrow("CATEGORY");
                t.disableControls();
                for (bool more = t.first(); more; more = t.next())
                    ++counts[t.getText(f)];
                t.enableControls();
                for (const auto& tag : t.tags())
                    if (QString::fromStdString(tag.name).compare(QLatin1String(kSortTag),
                                                                 Qt::CaseInsensitive) == 0)
                        expression = QString::fromStdString(tag.expression);
            }
            std::string commonest;
            for (const auto& [value, n] : counts)
                if (commonest.empty() || n > counts[commonest]) commonest = value;
            dbase::Table t;
            ReplaceTarget target;
            target.table = &t;
            target.path = file;
            target.sortExpression = expression;
            target.reopenShared = [&] { openInOrder(t, path); };
            const auto start = Clock::now();
            const ReplaceResult r = replaceInCatalogue(
                target,
                ReplaceRequest{Slot::Category, QString::fromStdString(commonest), QStringLiteral("Replaced")},
                dates);
            report("search and replace, Category", since(start),
                   "processed " + std::to_string(r.counts.processed) + ", changed " +
                       std::to_string(r.counts.changed) +
                       (r.status == ReplaceStatus::Done ? "" : "  FAILED: " + r.detail.toStdString()));
        }
    } catch (const dbase::DbError& e) {
        std::fprintf(stderr, "quillon-bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
