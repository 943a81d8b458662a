#pragma once
// The about box: the product name and version, closed with Ok.
#include "app/ui/dialogbase.h"

class TAbout : public TDialogBase {
    Q_OBJECT
public:
    explicit TAbout(Session& session, QWidget* parent = nullptr);
    explicit TAbout(const DialogLook& look, QWidget* parent = nullptr);

    static QString productName() { return QStringLiteral("Quillon Videos 97"); }
    static QString version() { return QStringLiteral("Version 3.2a"); }

private:
    void build();
};
