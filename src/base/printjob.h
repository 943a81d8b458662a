#pragma once
// The one print job of the program at a time. Every printing path holds a PrintJob while it
// sends pages to a printer or a file; a print asked for meanwhile (from a window that stays
// responsive while a long job runs) is refused, with "Other print job currently in progress.".
class PrintJob {
public:
    PrintJob();
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // True while any PrintJob exists.
    static bool active();
    // The refusal of a second print.
    static const char* busyMessage() { return "Other print job currently in progress."; }
};
