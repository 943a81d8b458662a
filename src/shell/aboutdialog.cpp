#include "shell/aboutdialog.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutDialog::AboutDialog(Session& session, QWidget* parent) : DialogBase(session, WindowGroup::Main, parent) {
    build();
}

AboutDialog::AboutDialog(const DialogLook& look, QWidget* parent) : DialogBase(look, parent) {
    build();
}

void AboutDialog::build() {
    setWindowTitle(QStringLiteral("About"));
    auto* name = new QLabel(productName(), this);
    name->setObjectName(QStringLiteral("ProductName"));
    QFont f = name->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.6);
    name->setFont(f);
    name->setAlignment(Qt::AlignCenter);
    look::markMajorTitle(name);
    auto* version = new QLabel(AboutDialog::version(), this);
    version->setObjectName(QStringLiteral("Version"));
    version->setAlignment(Qt::AlignCenter);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 24, 32, 16);
    layout->setSpacing(12);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
