#include "reports/ui/labelrun.h"

#include <QApplication>
#include <QLabel>
#include <QPagedPaintDevice>
#include <QTableWidget>
#include <memory>

#include "base/printjob.h"
#include "catalogue/session.h"
#include "dbase/error.h"
#include "render/pagestore.h"
#include "render/renderer.h"
#include "reports/labelsheet.h"
#include "reports/ui/labeldimensionsdialog.h"
#include "reports/ui/labeloptionsdialog.h"
#include "reports/ui/mediapickerdialog.h"
#include "reports/ui/previewwindow.h"
#include "reports/ui/reportstatuswindow.h"
#include "widgets/printers.h"
#include "widgets/prompts.h"

namespace reports {

LabelRun::LabelRun(Session& session, QWidget* parent) : session_(session), parent_(parent) {}

LabelRun::Outcome LabelRun::run(Mode mode, LabelType kind, int style,
                                const std::array<QString, GridCells>& grid) {
    Prompts& prompts = Prompts::instance();
    const DatabaseSettings& settings = session_.database();
    const LabelItems items = labelItems(settings);
    if (!items.any()) {
        prompts.beep();
        prompts.message(parent_, QStringLiteral("Error"), noItemsMessage(), Prompts::Ok, Prompts::Ok,
                        Prompts::Icon::Warning);
        return Outcome::Refused;
    }
    const int code = labelCode(kind, style);
    const LabelDimensions dims = stockDimensions(code, session_.program());
    const QStringList numbers = positionMediaNumbers(code, dims, grid);
    if (!anyMediaNumber(numbers)) {
        prompts.beep();
        prompts.message(parent_, QStringLiteral("Error"), noMediaNumbersMessage(), Prompts::Ok, Prompts::Ok,
                        Prompts::Icon::Warning);
        return Outcome::Refused;
    }
    if (mode == Mode::Print && PrintJob::active()) {
        prompts.error(parent_, QLatin1String(PrintJob::busyMessage()));
        return Outcome::Refused;
    }

    // Labels find their videos in the whole catalogue: a search in force is ended for the run.
    struct SearchPause {
        const std::function<void()>* resume = nullptr;
        ~SearchPause() {
            if (resume && *resume) (*resume)();
        }
    } pause;
    if (session_.searchOn() && endSearch_) {
        endSearch_();
        pause.resume = &resumeSearch_;
    }

    const int printer = chosenPrinterIndex(settings);
    LabelRequest request;
    request.code = code;
    request.dims = dims;
    request.mediaNumbers = numbers;
    request.items = items;
    request.font = labelFont(settings.reportLabelFont);
    request.color = labelFontColor(settings.reportLabelFont);
    if (mode == Mode::Print) request.layoutDpi = Printers::instance().resolution(printer);

    render::PageStore store;
    QString failure;
    render::Renderer renderer(sheetPagePoints(sheetPage(code, dims)), request.layoutDpi);
    ReportStatusWindow status(
        session_, renderer,
        [&] {
            LabelPrinting events(session_.table(), request, [&status](const QString& text) {
                status.statusLabel()->setText(text);
                QCoreApplication::processEvents();
            });
            bool finished = false;
            try {
                finished = renderer.run(events, store);
            } catch (const dbase::DbError& e) {
                failure = QString::fromUtf8(e.what());
            }
            if (!finished || !failure.isEmpty()) {
                renderer.abort();
                return;
            }
            if (mode == Mode::Print) {
                const PrintJob job;
                const std::unique_ptr<QPagedPaintDevice> device =
                    Printers::instance().open(printer, &failure);
                if (!device || !render::printPages(store, *device, 0, store.pageCount() - 1, 1, &failure)) {
                    if (failure.isEmpty()) failure = QLatin1String(Printers::noPrinterMessage());
                    renderer.abort();
                }
            }
        },
        parent_);
    status.exec();
    if (!failure.isEmpty()) {
        prompts.error(parent_, failure);
        return Outcome::Failed;
    }
    if (status.cancelled()) return Outcome::Cancelled;
    if (mode == Mode::Preview) {
        PreviewWindow preview(session_, store, PreviewOptions{QString(), true}, parent_);
        preview.exec();
    }
    return Outcome::Completed;
}

LabelHooks labelHooks(Session& session, SearchHooks search) {
    LabelHooks hooks;
    hooks.run = [&session, search](ReportWindow& window, ReportRun::Mode mode) {
        const QStringList cells = window.mediaNumbers();
        std::array<QString, GridCells> grid;
        for (int i = 0; i < GridCells && i < cells.size(); ++i)
            grid[size_t(i)] = cells[i];
        const LabelType type =
            window.whatToPrint() == ReportWindow::SpineLabels ? LabelType::Spine : LabelType::Face;
        LabelRun run(session, &window);
        run.setSearchHooks(search.endForRun, search.resumeAfterRun);
        run.run(mode == ReportRun::Mode::Print ? LabelRun::Mode::Print : LabelRun::Mode::Preview, type,
                window.labelStyle(), grid);
    };
    hooks.options = [&session](ReportWindow& window) {
        LabelOptionsDialog dialog(session, &window);
        dialog.exec();
    };
    hooks.define = [&session](ReportWindow& window) {
        LabelDimensionsDialog dialog(session, &window);
        dialog.exec();
    };
    hooks.chooseMediaNumber = [&session](ReportWindow& window, int column, int row) {
        MediaPickerDialog dialog(session, &window);
        if (!dialog.openError().isEmpty()) {
            Prompts::instance().error(&window, dialog.openError());
            return;
        }
        if (dialog.exec() != QDialog::Accepted) return;
        QTableWidget* grid = window.mediaList();
        const QString number = dialog.chosenMediaNumber().left(ReportWindow::MediaNumberLength);
        if (QTableWidgetItem* item = grid->item(row, column))
            item->setText(number);
        else
            grid->setItem(row, column, new QTableWidgetItem(number));
    };
    return hooks;
}

} // namespace reports
