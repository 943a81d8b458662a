#pragma once
// "Printer Selection": the system's default printer or one of the installed printers for every
// later report and label run (stored as "Default Printer" and "Printer Index").
#include "widgets/dialogbase.h"

class QComboBox;
class QRadioButton;

namespace reports {

class PrinterChoiceDialog : public DialogBase {
    Q_OBJECT
public:
    explicit PrinterChoiceDialog(Session& session, QWidget* parent = nullptr);

    QRadioButton* defaultButton() const { return default_; }
    QRadioButton* otherButton() const { return other_; }
    QComboBox* printerList() const { return list_; }

public slots:
    void OkClick();

private:
    QRadioButton* default_;
    QRadioButton* other_;
    QComboBox* list_;
};

} // namespace reports
