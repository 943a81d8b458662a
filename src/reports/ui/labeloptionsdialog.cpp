#include "reports/ui/labeloptionsdialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "catalogue/fieldslots.h"
#include "catalogue/session.h"
#include "reports/labelsheet.h"
#include "widgets/prompts.h"

namespace reports {

namespace {

// The field of each item, in the order of the check boxes.
constexpr int kSlots[LabelOptionsDialog::ItemCount] = {Slot::Title,       Slot::Rating,  Slot::CounterStart,
                                                       Slot::CounterStop, Slot::Year,    Slot::RunTime,
                                                       Slot::MediaNumber, Slot::Category};

bool* switchOf(DatabaseSettings& s, int item) {
    switch (item) {
    case LabelOptionsDialog::Title:
        return &s.labelTitle;
    case LabelOptionsDialog::Rating:
        return &s.labelRating;
    case LabelOptionsDialog::StartCounter:
        return &s.labelStartCounter;
    case LabelOptionsDialog::StopCounter:
        return &s.labelStopCounter;
    case LabelOptionsDialog::Year:
        return &s.labelYearReleased;
    case LabelOptionsDialog::PlayTime:
        return &s.labelPlayTime;
    case LabelOptionsDialog::MediaNumber:
        return &s.labelMediaNumber;
    default:
        return &s.labelCategory;
    }
}

} // namespace

QString LabelOptionsDialog::fontDescription(const FontSetting& font) {
    return QStringLiteral("%1pt %2").arg(font.size).arg(font.name);
}

LabelOptionsDialog::LabelOptionsDialog(Session& session, QWidget* parent)
    : DialogBase(session, WindowGroup::Report, parent) {
    setObjectName(QStringLiteral("LabelOptions"));
    setWindowTitle(QStringLiteral("Label Options"));
    DatabaseSettings& s = session.database();

    auto* items = new QGroupBox(QStringLiteral("Items To Include"), this);
    auto* itemColumns = new QHBoxLayout(items);
    QVBoxLayout* column = nullptr;
    for (int i = 0; i < ItemCount; ++i) {
        if (i % 4 == 0) {
            column = new QVBoxLayout;
            itemColumns->addLayout(column);
        }
        auto* box = new QCheckBox(s.displayName(kSlots[i]), items);
        box->setChecked(*switchOf(s, i));
        column->addWidget(box);
        boxes_[size_t(i)] = box;
    }

    auto* fontBox = new QGroupBox(QStringLiteral("Font To Use"), this);
    fontDisplay_ = new QLineEdit(fontBox);
    fontDisplay_->setReadOnly(true);
    fontDisplay_->setFocusPolicy(Qt::NoFocus);
    fontDisplay_->setText(fontDescription(s.reportLabelFont));
    fontDisplay_->setMinimumWidth(fontDisplay_->fontMetrics().averageCharWidth() * 26);
    newButton_ = new QPushButton(QStringLiteral("&New"), fontBox);
    connect(newButton_, &QPushButton::clicked, this, &LabelOptionsDialog::NewButtonClick);
    auto* fontRow = new QHBoxLayout(fontBox);
    fontRow->addWidget(fontDisplay_, 1);
    fontRow->addWidget(newButton_);

    QHBoxLayout* buttons = okCancelRow([this] { accept(); }, false);
    auto* main = new QVBoxLayout(this);
    main->addWidget(items);
    main->addWidget(fontBox);
    main->addLayout(buttons);
}

void LabelOptionsDialog::NewButtonClick() {
    FontSetting& f = session()->database().reportLabelFont;
    const std::optional<QFont> chosen = Prompts::instance().font(this, labelFont(f));
    if (!chosen) return;
    f.name = chosen->family();
    f.size = FontSize;
    f.bold = chosen->bold();
    f.italic = chosen->italic();
    f.underline = chosen->underline();
    f.strikeout = chosen->strikeOut();
    fontDisplay_->setText(fontDescription(f));
}

void LabelOptionsDialog::done(int result) {
    DatabaseSettings& s = session()->database();
    for (int i = 0; i < ItemCount; ++i)
        *switchOf(s, i) = boxes_[size_t(i)]->isChecked();
    DialogBase::done(result);
}

} // namespace reports
