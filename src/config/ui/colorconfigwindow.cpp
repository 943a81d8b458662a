#include "config/ui/colorconfigwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "catalogue/session.h"
#include "widgets/prompts.h"

namespace {

// The colour buttons: object name, caption and the element each one sets.
struct ButtonRow {
    const char* name;
    const char* caption;
    int element;
};
const ButtonRow Buttons[] = {
    {"MainBack", "Background", ColorSet::MainBackground},
    {"MajorTitles", "Major Titles", ColorSet::MajorTitle},
    {"MinorTitles", "Minor Titles", ColorSet::MinorTitle},
    {"RadioText", "Text", ColorSet::RadioText},
    {"RadioBack", "Background", ColorSet::RadioBackground},
    {"CheckText", "Text", ColorSet::CheckText},
    {"CheckBack", "Background", ColorSet::CheckBackground},
    {"EditBoxText", "Text", ColorSet::EditText},
    {"EditBoxBack", "Background", ColorSet::EditBackground},
    {"ComboText", "Text", ColorSet::ComboText},
    {"ComboBack", "Background", ColorSet::ComboBackground},
    {"ListText", "Text", ColorSet::ListBoxText},
    {"ListBack", "Background", ColorSet::ListBoxBackground},
};

QLabel* heading(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    look::markMajorTitle(l);
    return l;
}

} // namespace

ColourConfigWindow::ColourConfigWindow(Session& session, config::ColorTarget target, QWidget* parent)
    : DialogBase(session, WindowGroup::Configure, parent), session_(session), target_(target),
      working_(config::startingSet(session.database(), target)) {
    setObjectName(QStringLiteral("ColorConfig"));
    setWindowTitle(QStringLiteral("Color Configuration"));
    setMoveUp(true);

    for (const ButtonRow& b : Buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setAutoDefault(false);
        const int element = b.element;
        connect(button, &QPushButton::clicked, this, [this, element] { chooseColor(element); });
        buttons_[button->objectName()] = button;
    }
    auto btn = [this](const char* name) { return buttons_.at(QString::fromLatin1(name)); };

    const QString sample = QStringLiteral("Sample Text");
    radio_ = new QRadioButton(sample, this);
    radio_->setObjectName(QStringLiteral("RadioButton"));
    radio_->setChecked(true);
    check_ = new QCheckBox(sample, this);
    check_->setObjectName(QStringLiteral("CheckBox"));
    check_->setChecked(true);
    edit_ = new QLineEdit(sample, this);
    edit_->setObjectName(QStringLiteral("EditBox"));
    combo_ = new QComboBox(this);
    combo_->setObjectName(QStringLiteral("ComboBox"));
    combo_->addItem(sample);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListBox"));
    list_->addItems({sample, sample});
    list_->setFixedHeight(list_->sizeHintForRow(0) * 2 + 2 * list_->frameWidth() + 4);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    int row = 0;
    grid->addWidget(heading(QStringLiteral("Window"), this), row, 0);
    grid->addWidget(btn("MainBack"), row, 1, Qt::AlignRight);
    grid->addWidget(btn("MajorTitles"), row, 2);
    grid->addWidget(btn("MinorTitles"), row, 3);
    const struct {
        const char* title;
        QWidget* sample;
        const char* text;
        const char* back;
    } sections[] = {{"Radio Button", radio_, "RadioText", "RadioBack"},
                    {"Check Box", check_, "CheckText", "CheckBack"},
                    {"Edit Box", edit_, "EditBoxText", "EditBoxBack"},
                    {"Combo Box", combo_, "ComboText", "ComboBack"},
                    {"List Box", list_, "ListText", "ListBack"}};
    for (const auto& s : sections) {
        ++row;
        grid->addWidget(heading(QString::fromLatin1(s.title), this), row, 0);
        grid->addWidget(s.sample, row, 1);
        grid->addWidget(btn(s.text), row, 2);
        grid->addWidget(btn(s.back), row, 3);
    }
    grid->setColumnStretch(1, 1);

    auto* combinations = new QLabel(QStringLiteral("Predefined Color Combinations"), this);
    colorSets_ = new QComboBox(this);
    colorSets_->setObjectName(QStringLiteral("ColorSets"));
    colorSets_->addItem(QString());
    colorSets_->addItems(config::combinationNames());
    colorSets_->setMinimumContentsLength(18);
    connect(colorSets_, &QComboBox::activated, this, &ColourConfigWindow::chooseCombination);
    auto* combinationRow = new QHBoxLayout;
    combinationRow->addWidget(combinations);
    combinationRow->addWidget(colorSets_, 1);

    ok_ = new QPushButton(QStringLiteral("&Ok"), this);
    ok_->setObjectName(QStringLiteral("Ok"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel_->setObjectName(QStringLiteral("Cancel"));
    connect(ok_, &QPushButton::clicked, this, &ColourConfigWindow::okClicked);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addSpacing(10);
    main->addLayout(combinationRow);
    main->addSpacing(10);
    main->addLayout(buttons);
}

QPushButton* ColourConfigWindow::colorButton(const QString& objectName) const {
    const auto it = buttons_.find(objectName);
    return it == buttons_.end() ? nullptr : it->second;
}

int ColourConfigWindow::elementOf(const QString& buttonName) {
    for (const ButtonRow& b : Buttons)
        if (buttonName == QLatin1String(b.name)) return b.element;
    return -1;
}

void ColourConfigWindow::showEvent(QShowEvent* event) {
    DialogBase::showEvent(event);
    // The window shows the working copy, not the set of its own group.
    paintPreview();
}

void ColourConfigWindow::paintPreview() {
    WindowColors colors;
    colors.value = working_.colors;
    look::applyColors(this, colors);
}

void ColourConfigWindow::chooseColor(int element) {
    if (element < 0 || element >= ColorSet::Count) return;
    const auto chosen = Prompts::instance().color(this, WindowColors::fromNumber(working_[element]));
    if (!chosen) return;
    working_[element] = WindowColors::toNumber(*chosen);
    paintPreview();
}

void ColourConfigWindow::chooseCombination(int entry) {
    if (config::applyCombination(working_, entry)) paintPreview();
}

void ColourConfigWindow::okClicked() {
    config::acceptSet(session_.database(), target_, working_);
    accept();
}

bool configureColors(Session& session, config::ColorTarget target, QWidget* parent) {
    ColourConfigWindow window(session, target, parent);
    return window.exec() == QDialog::Accepted;
}
