#pragma once
// The installed printers and the printer a run prints on. Runs name a printer by its index in the
// list of installed printers, -1 for the system default. Tests install their own Printers (a PDF
// file for a printer, a list of names) as they install their own Prompts.
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <memory>

class QPagedPaintDevice;
struct DatabaseSettings;

class Printers {
public:
    virtual ~Printers() = default;

    // Names of the installed printers (CUPS), in the order the system reports them.
    virtual QStringList names() const = 0;
    // A device for printer index (-1 the default; an index beyond the list is the default too).
    // nullptr with *error "No printers are defined, aborting print job." when no printer is installed.
    virtual std::unique_ptr<QPagedPaintDevice> open(int index, QString* error) const = 0;
    // The paper of that printer in points (portrait): pages are laid out for it; Letter without a printer.
    virtual QSizeF paperSize(int index) const = 0;
    // The resolution pages are laid out for on that printer.
    virtual int resolution(int index) const = 0;

    static const char* noPrinterMessage() { return "No printers are defined, aborting print job."; }

    static Printers& instance();
    static void install(Printers* printers); // nullptr restores the system's printers
};

// The printer index a run uses by the stored choice: -1 with "Default Printer", else "Printer Index".
int chosenPrinterIndex(const DatabaseSettings& settings);
