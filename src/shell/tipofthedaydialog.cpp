#include "shell/tipofthedaydialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QVBoxLayout>
#include <array>

namespace {
const std::array<const char*, TipOfTheDayDialog::TipCount> kTips = {
    "You can rename database fields to your liking.",
    "You can optionally edit data directly on the Main Window Viewer.",
    "You can choose to see only those database fields you desire in the Main Window Viewer.",
    "You can choose the order in which the database fields appear in the Main Window Viewer.",
    "You can select the font for edit boxes allowing for support of foreign language input.",
    "You can do a global search and replace on any database field.",
    "You can select numeric and currency formats for reports to either match your Windows setup or to be a "
    "U.S. format.",
    "You can choose from among several date formats to be used through out the program.",
    "You can sort your data by any database field and go four levels deep.",
    "You can maintain multiple databases and Quillon will display the last five used in the menu for easy "
    "retrieval.",
    "You can easily import data from ASCII Delimited or DBase compatible files.",
    "You can export data to ASCII Delimited or DBase compatible files and choose which database fields to "
    "export and the order.",
    "When exporting data, you can limit the data to export by first doing a search.",
    "When printing a report, you can limit the data to print by first doing a search.",
    "You can preview reports, print reports to a text file or send them directly to the printer.",
    "You can design and build as many of your own report layouts as you like.",
    "You can choose to have speed buttons or large lettered buttons on the main window for quick program "
    "functions.",
    "You can choose among popular screen sizes allowing program windows to appear the size you prefer.",
    "You can choose the font style for text input, labels and buttons allowing for a more personal "
    "appearance.",
    "You can narrow the data that is displayed in the Main Window Viewer to just the result of a search.",
    "Logical OR searches can be performed: Find all records where the item = xxxx OR where the item = yyyy.",
    "User defined reports allow for Title Lines, Font Selection, Margin Settings, Page Numbers, Date On "
    "Pages "
    "and More.",
    "User defined reports allow for Column Headers, Vertical and Horizontal lines, Grouping of Data, Totals "
    "and More.",
    "A \"Browse Mode\" is available where a user has access to the data, but cannot change it.",
};
} // namespace

QString TipOfTheDayDialog::tipText(int number) {
    if (number < 1 || number > TipCount) return {};
    return QString::fromLatin1(kTips[size_t(number - 1)]);
}

TipOfTheDayDialog::TipOfTheDayDialog(Session& session, bool& showTips, QWidget* parent)
    : DialogBase(session, WindowGroup::Main, parent), showTips_(showTips) {
    build();
}

TipOfTheDayDialog::TipOfTheDayDialog(const DialogLook& look, bool& showTips, QWidget* parent)
    : DialogBase(look, parent), showTips_(showTips) {
    build();
}

void TipOfTheDayDialog::build() {
    setWindowTitle(QStringLiteral("Tip of the Day"));
    auto* heading = new QLabel(QStringLiteral("Did you know..."), this);
    QFont hf = heading->font();
    hf.setBold(true);
    hf.setPointSizeF(hf.pointSizeF() * 1.3);
    heading->setFont(hf);
    look::markMajorTitle(heading);
    number_ = new QLabel(this);
    number_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("TipText"));
    text_->setWordWrap(true);
    text_->setMinimumSize(360, 72);
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text_->setFrameShape(QFrame::StyledPanel);
    text_->setMargin(8);
    showBox_ = new QCheckBox(QStringLiteral("&Show Tips at Startup"), this);
    showBox_->setChecked(showTips_);
    nextButton_ = new QPushButton(QStringLiteral("&Next Tip"), this);
    auto* closeButton = new QPushButton(QStringLiteral("&Ok"), this);
    closeButton->setDefault(true);
    connect(nextButton_, &QPushButton::clicked, this, &TipOfTheDayDialog::nextTipClicked);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(heading);
    top->addStretch();
    top->addWidget(number_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(showBox_);
    buttons->addStretch();
    buttons->addWidget(nextButton_);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(text_, 1);
    layout->addLayout(buttons);

    setTip(int(QRandomGenerator::global()->bounded(1, TipCount + 1)));
}

void TipOfTheDayDialog::setTip(int number) {
    if (number < 1 || number > TipCount) number = 1;
    tip_ = number;
    text_->setText(tipText(number));
    number_->setText(QStringLiteral("Tip %1 of %2").arg(number).arg(TipCount));
}

void TipOfTheDayDialog::nextTipClicked() {
    setTip(tip_ == TipCount ? 1 : tip_ + 1);
}

void TipOfTheDayDialog::done(int result) {
    showTips_ = showBox_->isChecked();
    DialogBase::done(result);
}
