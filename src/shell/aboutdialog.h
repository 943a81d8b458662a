#pragma once
// The about box: the product name and version, closed with Ok.
#include "widgets/dialogbase.h"

class AboutDialog : public DialogBase {
    Q_OBJECT
public:
    explicit AboutDialog(Session& session, QWidget* parent = nullptr);
    explicit AboutDialog(const DialogLook& look, QWidget* parent = nullptr);

    static QString productName() { return QStringLiteral("Quillon Videos 97"); }
    static QString version() { return QStringLiteral("Version 3.2a"); }

private:
    void build();
};
