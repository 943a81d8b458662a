#include "widgets/printers.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include "catalogue/settings.h"

namespace {

class SystemPrinters : public Printers {
public:
    QStringList names() const override { return QPrinterInfo::availablePrinterNames(); }

    std::unique_ptr<QPagedPaintDevice> open(int index, QString* error) const override {
        const QPrinterInfo info = printerInfo(index);
        if (info.isNull()) {
            if (error) *error = QString::fromLatin1(noPrinterMessage());
            return nullptr;
        }
        auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        printer->setFullPage(true);
        printer->setDocName(QStringLiteral("Quillon Videos"));
        return printer;
    }

    QSizeF paperSize(int index) const override {
        const QPrinterInfo info = printerInfo(index);
        const QPageSize size = info.isNull() ? QPageSize(QPageSize::Letter) : info.defaultPageSize();
        return size.isValid() ? size.size(QPageSize::Point) : QSizeF(612, 792);
    }

    int resolution(int index) const override {
        const QPrinterInfo info = printerInfo(index);
        if (info.isNull()) return 1200;
        QPrinter printer(info, QPrinter::HighResolution);
        return printer.resolution();
    }

private:
    static QPrinterInfo printerInfo(int index) {
        const QList<QPrinterInfo> all = QPrinterInfo::availablePrinters();
        if (all.isEmpty()) return {};
        if (index >= 0 && index < all.size()) return all[index];
        const QPrinterInfo preferred = QPrinterInfo::defaultPrinter();
        return preferred.isNull() ? all.first() : preferred;
    }
};

Printers* installed = nullptr;

} // namespace

Printers& Printers::instance() {
    static SystemPrinters system;
    return installed ? *installed : system;
}

void Printers::install(Printers* printers) {
    installed = printers;
}

int chosenPrinterIndex(const DatabaseSettings& settings) {
    return settings.defaultPrinter ? -1 : settings.printerIndex;
}
