#include "reports/ui/entryeditor.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "catalogue/fieldslots.h"
#include "catalogue/session.h"
#include "widgets/prompts.h"

namespace reports {

EntryEditor::EntryEditor(Session& session, LayoutLine& line, int lineNumber, int entry, int reportWidth,
                         QWidget* parent)
    : DialogBase(session, WindowGroup::Report, parent), line_(line), lineNumber_(lineNumber), entry_(entry),
      reportWidth_(reportWidth) {
    setObjectName(QStringLiteral("ReportPart"));
    setWindowTitle(QStringLiteral("Select Report Part"));

    auto* typeBox = new QGroupBox(QStringLiteral("Type"), this);
    filler_ = new QRadioButton(QStringLiteral("Filler (empty space)"), typeBox);
    label_ = new QRadioButton(QStringLiteral("Label (constant value)"), typeBox);
    field_ = new QRadioButton(QStringLiteral("Field (database value)"), typeBox);
    auto* typeLayout = new QVBoxLayout(typeBox);
    for (QRadioButton* r : {filler_, label_, field_}) {
        typeLayout->addWidget(r);
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on) kindChanged();
        });
    }

    auto* widthBox = new QGroupBox(QStringLiteral("Width"), this);
    width_ = new QLineEdit(widthBox);
    width_->setObjectName(QStringLiteral("FieldWidth"));
    width_->setMaxLength(3);
    width_->setMaximumWidth(60);
    auto* widthLayout = new QHBoxLayout(widthBox);
    widthLayout->addWidget(width_);
    widthLayout->addStretch();

    auto* labelBox = new QGroupBox(QStringLiteral("Label Name"), this);
    labelName_ = new QLineEdit(labelBox);
    labelName_->setObjectName(QStringLiteral("LabelName"));
    labelName_->setMaxLength(MaxLabelLength);
    labelName_->setMinimumWidth(labelName_->fontMetrics().averageCharWidth() * 30);
    (new QVBoxLayout(labelBox))->addWidget(labelName_);

    auto* partBox = new QGroupBox(QStringLiteral("Selected Part"), this);
    selected_ = new QLabel(partBox);
    selected_->setObjectName(QStringLiteral("SelectedPart"));
    (new QVBoxLayout(partBox))->addWidget(selected_);

    auto* fieldsBox = new QGroupBox(QStringLiteral("Fields"), this);
    fields_ = new QListWidget(fieldsBox);
    fields_->setObjectName(QStringLiteral("FieldList"));
    (new QVBoxLayout(fieldsBox))->addWidget(fields_);

    ok_ = new QPushButton(QStringLiteral("&Ok"), this);
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    connect(ok_, &QPushButton::clicked, this, &EntryEditor::OkButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    left->addWidget(partBox);
    left->addWidget(typeBox);
    left->addWidget(widthBox);
    left->addWidget(labelBox);
    left->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addWidget(fieldsBox, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    auto* main = new QVBoxLayout(this);
    main->addLayout(columns);
    main->addLayout(buttons);

    // The list: the forty fields by display name, or the three total items.
    if (totalsLine()) {
        for (int item = 1; item <= TotalItemCount; ++item)
            fields_->addItem(totalItemName(item));
        selected_->setText(QStringLiteral("Totals Line, Item %1").arg(entry + 1));
    } else {
        for (int slot = 1; slot <= FieldCount; ++slot)
            fields_->addItem(session.displayName(slot));
        selected_->setText(QStringLiteral("Line %1, Item %2").arg(lineNumber).arg(entry + 1));
    }
    fields_->setMinimumWidth(fields_->fontMetrics().averageCharWidth() * 24);
    fields_->setMinimumHeight(fields_->fontMetrics().height() * 10);

    const LayoutEntry& e = line_[size_t(entry_)];
    width_->setText(QString::number(e.width));
    if (e.isLabel()) {
        labelName_->setText(e.label);
        label_->setChecked(true);
    } else if (e.isField()) {
        const int row = totalsLine() ? totalItemByName(e.kind) : slotByName(e.kind);
        if (row > 0) fields_->setCurrentRow(row - 1);
        field_->setChecked(true);
    } else {
        filler_->setChecked(true);
    }
    kindChanged();
}

void EntryEditor::kindChanged() {
    labelName_->setEnabled(label_->isChecked());
    fields_->setEnabled(field_->isChecked());
    if (!label_->isChecked()) labelName_->clear();
    if (filler_->isChecked()) fields_->setCurrentRow(-1);
}

void EntryEditor::OkButtonClick() {
    Prompts& prompts = Prompts::instance();
    bool complete = false;
    const int width = readInteger(width_->text(), &complete);
    if (!complete) {
        prompts.beep();
        prompts.message(this, QStringLiteral("Error"),
                        QStringLiteral("Invalid width entered.  Please correct."), Prompts::Ok, Prompts::Ok,
                        Prompts::Icon::Warning);
        width_->setFocus();
        width_->selectAll();
        return;
    }
    // A field entry must name one of the list's fields.
    const int row = fields_->currentRow();
    if (field_->isChecked() && row < 0) {
        prompts.beep();
        prompts.message(this, QStringLiteral("Error"),
                        QStringLiteral("No field has been selected.  Please choose one from the list."),
                        Prompts::Ok, Prompts::Ok, Prompts::Icon::Warning);
        fields_->setFocus();
        return;
    }

    LayoutLine line = line_;
    line[size_t(entry_)].width = width;
    fitLine(line, reportWidth_);
    LayoutEntry& e = line[size_t(entry_)];
    e.label.clear();
    e.slot = 0;
    if (filler_->isChecked()) {
        e.kind = FillerKind;
    } else if (label_->isChecked()) {
        e.kind = LabelKind;
        e.label = labelName_->text().trimmed().left(MaxLabelLength);
    } else {
        e.slot = row + 1;
        e.kind = totalsLine() ? totalItemName(e.slot) : fieldName(e.slot);
    }
    line_ = line;
    accept();
}

} // namespace reports
