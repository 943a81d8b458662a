#include "reports/ui/layoutdesigner.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "reports/layoutfile.h"
#include "reports/ui/layoutfontsdialog.h"
#include "reports/ui/lineeditor.h"
#include "widgets/helpwindow.h"
#include "widgets/prompts.h"

namespace reports {

namespace {

constexpr int kWidths[3] = {90, 120, 150};

QString marginText(double inches) {
    return QString::number(inches, 'f', 2);
}

} // namespace

LayoutDesigner::LayoutDesigner(Session& session, const ReportLayout& layout, int index,
                               const QString& layoutFile, QWidget* parent)
    : DialogBase(session, WindowGroup::Report, parent), layout_(layout), index_(index), file_(layoutFile),
      openingName_(layout.name) {
    setObjectName(QStringLiteral("UserReport"));
    setWindowTitle(QStringLiteral("Report Definition"));

    auto edit = [this](const char* name, int maxLength) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setMaxLength(maxLength);
        return e;
    };
    auto check = [this](const char* name, const char* caption) {
        auto* c = new QCheckBox(QString::fromLatin1(caption), this);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };

    // Name.
    name_ = edit("ReportName", MaxNameLength);
    auto* nameLabel = new QLabel(QStringLiteral("Report Name"), this);
    nameLabel->setBuddy(name_);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(name_, 1);

    // Width.
    auto* widthBox = new QGroupBox(QStringLiteral("Report Width"), this);
    auto* widthRow = new QHBoxLayout(widthBox);
    auto* widthGroup = new QButtonGroup(this);
    static const char* const kWidthNames[3] = {"Chars90", "Chars120", "Chars150"};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(QStringLiteral("%1 Chars").arg(kWidths[i]), widthBox);
        r->setObjectName(QString::fromLatin1(kWidthNames[i]));
        widthGroup->addButton(r, kWidths[i]);
        widthRow->addWidget(r);
        widths_[size_t(i)] = r;
    }
    connect(widthGroup, &QButtonGroup::idClicked, this, &LayoutDesigner::WidthClick);

    // Fonts.
    auto* fontBox = new QGroupBox(QStringLiteral("Report Fonts"), this);
    auto* fontGrid = new QGridLayout(fontBox);
    static const char* const kFontNames[4] = {"TitleLineFont", "ColumnHeaderFont", "RepBodyDataFont",
                                              "FootnoteFont"};
    static const char* const kFontCaptions[4] = {"Title Lines", "Column Headers", "Report Body", "Footnotes"};
    for (int i = 0; i < 4; ++i) {
        auto* display = new QLineEdit(fontBox);
        display->setObjectName(QString::fromLatin1(kFontNames[i]));
        display->setReadOnly(true);
        display->setFocusPolicy(Qt::NoFocus);
        display->setMinimumWidth(display->fontMetrics().averageCharWidth() * 18);
        auto* label = new QLabel(QString::fromLatin1(kFontCaptions[i]), fontBox);
        fontGrid->addWidget(label, i, 0);
        fontGrid->addWidget(display, i, 1);
        fontDisplays_[size_t(i)] = display;
    }
    setFonts_ = new QPushButton(QStringLiteral("&Set Fonts"), fontBox);
    setFonts_->setObjectName(QStringLiteral("SetFonts"));
    fontGrid->addWidget(setFonts_, 4, 1, Qt::AlignRight);
    connect(setFonts_, &QPushButton::clicked, this, &LayoutDesigner::SetFontsClick);

    // Titles.
    auto* titleBox = new QGroupBox(QStringLiteral("Report Titles"), this);
    auto* titleColumn = new QVBoxLayout(titleBox);
    static const char* const kTitleNames[3] = {"Title1", "Title2", "Title3"};
    for (int i = 0; i < 3; ++i) {
        titles_[size_t(i)] = edit(kTitleNames[i], MaxTitleLength);
        titleColumn->addWidget(titles_[size_t(i)]);
    }

    // Options.
    auto* miscBox = new QGroupBox(QStringLiteral("Miscellaneous"), this);
    auto* miscGrid = new QGridLayout(miscBox);
    level1_ = check("Level1Group", "Group by Level 1 Sort");
    level2_ = check("Level2Group", "Group by Level 2 Sort");
    columnHeaders_ = check("ColumnHeaders", "Column Headers");
    pageNumbers_ = check("PageNumbers", "Page Numbers");
    horzLines_ = check("HorzLines", "Horizontal Lines");
    dateOnPage_ = check("DateOnPage", "Date On Pages");
    vertLines_ = check("VertLines", "Vertical Lines");
    landOrient_ = check("LandOrient", "Print Landscape");
    const std::array<QCheckBox*, 8> options = {level1_,    level2_,     columnHeaders_, pageNumbers_,
                                               horzLines_, dateOnPage_, vertLines_,     landOrient_};
    for (int i = 0; i < 8; ++i)
        miscGrid->addWidget(options[size_t(i)], i / 2, i % 2);
    connect(level1_, &QCheckBox::clicked, this, [this](bool on) { level2_->setEnabled(on); });

    // Content.
    auto* contentBox = new QGroupBox(QStringLiteral("Report Content"), this);
    auto* contentGrid = new QGridLayout(contentBox);
    numLines_ = edit("NumLines", 2);
    numLines_->setMaximumWidth(numLines_->fontMetrics().averageCharWidth() * 5 + 12);
    auto* linesLabel = new QLabel(QStringLiteral("Number of Lines"), contentBox);
    linesLabel->setBuddy(numLines_);
    useTotals_ = check("UseTotals", "Use Totals");
    specify_ = new QPushButton(QStringLiteral("&Specify Report Content"), contentBox);
    specify_->setObjectName(QStringLiteral("SpecifyButton"));
    contentGrid->addWidget(linesLabel, 0, 0);
    contentGrid->addWidget(numLines_, 0, 1);
    contentGrid->addWidget(useTotals_, 0, 2);
    contentGrid->addWidget(specify_, 1, 0, 1, 3);
    connect(numLines_, &QLineEdit::editingFinished, this, &LayoutDesigner::lineCountLeft);
    connect(specify_, &QPushButton::clicked, this, &LayoutDesigner::SpecifyButtonClick);

    // Margins.
    auto* marginBox = new QGroupBox(QStringLiteral("Margins (in inches)"), this);
    auto* marginGrid = new QGridLayout(marginBox);
    static const char* const kMarginNames[4] = {"TopMargin", "BottomMargin", "LeftMargin", "RightMargin"};
    static const char* const kMarginCaptions[4] = {"Top", "Bottom", "Left", "Right"};
    for (int i = 0; i < 4; ++i) {
        auto* e = edit(kMarginNames[i], 5);
        e->setMaximumWidth(e->fontMetrics().averageCharWidth() * 7 + 12);
        auto* label = new QLabel(QString::fromLatin1(kMarginCaptions[i]), marginBox);
        label->setBuddy(e);
        marginGrid->addWidget(label, i / 2, (i % 2) * 2);
        marginGrid->addWidget(e, i / 2, (i % 2) * 2 + 1);
        connect(e, &QLineEdit::editingFinished, this, &LayoutDesigner::lineCountLeft);
        margins_[size_t(i)] = e;
    }

    // Buttons.
    update_ = new QPushButton(QStringLiteral("&Update"), this);
    update_->setObjectName(QStringLiteral("UpdateButton"));
    update_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel_->setObjectName(QStringLiteral("CancelButton"));
    delete_ = new QPushButton(QStringLiteral("&Delete"), this);
    delete_->setObjectName(QStringLiteral("DeleteButton"));
    help_ = new QPushButton(QStringLiteral("&Help"), this);
    help_->setObjectName(QStringLiteral("HelpButton"));
    connect(update_, &QPushButton::clicked, this, &LayoutDesigner::UpdateButtonClick);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(delete_, &QPushButton::clicked, this, &LayoutDesigner::DeleteButtonClick);
    connect(help_, &QPushButton::clicked, this, &LayoutDesigner::HelpButtonClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {update_, cancel_, delete_, help_})
        buttons->addWidget(b);

    // Two columns: fonts and titles on the left, the page and the content on the right.
    for (QGroupBox* g : {widthBox, fontBox, titleBox, miscBox, contentBox, marginBox}) {
        g->layout()->setContentsMargins(8, 4, 8, 6);
        g->layout()->setSpacing(4);
    }
    miscGrid->setHorizontalSpacing(8);
    auto* left = new QVBoxLayout;
    left->addWidget(fontBox);
    left->addWidget(titleBox);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(widthBox);
    right->addWidget(miscBox);
    right->addWidget(contentBox);
    right->addWidget(marginBox);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->setSpacing(6);
    columns->addLayout(left, 1);
    columns->addLayout(right);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->setSpacing(6);
    main->addLayout(nameRow);
    main->addLayout(columns);
    main->addLayout(buttons);

    connect(name_, &QLineEdit::textChanged, this, &LayoutDesigner::nameChanged);
    connect(name_, &QLineEdit::editingFinished, this, [this] {
        if (index_ != NewLayout) layout_.name = name_->text().trimmed().left(MaxNameLength);
    });
    fillControls();
}

LayoutDesigner::~LayoutDesigner() {
    // The edits report leaving them while the window's controls are being destroyed: by then
    // nothing here may react.
    for (QLineEdit* e : findChildren<QLineEdit*>())
        e->disconnect(this);
}

QRadioButton* LayoutDesigner::widthRadio(int width) const {
    for (int i = 0; i < 3; ++i)
        if (kWidths[i] == width) return widths_[size_t(i)];
    return nullptr;
}

void LayoutDesigner::fillControls() {
    name_->setText(layout_.name);
    checkWidthRadio(layout_.width);
    refreshFonts();
    for (int i = 0; i < 3; ++i)
        titles_[size_t(i)]->setText(layout_.titles[size_t(i)]);
    level1_->setChecked(layout_.groupLevel1);
    level2_->setChecked(layout_.groupLevel1 && layout_.groupLevel2);
    columnHeaders_->setChecked(layout_.columnHeaders);
    pageNumbers_->setChecked(layout_.pageNumbers);
    horzLines_->setChecked(layout_.horizontalLines);
    dateOnPage_->setChecked(layout_.dateOnPages);
    vertLines_->setChecked(layout_.verticalLines);
    landOrient_->setChecked(layout_.landscape);
    numLines_->setText(QString::number(layout_.linesPerRecord));
    useTotals_->setChecked(layout_.useTotals);
    const double margins[4] = {layout_.topMargin, layout_.bottomMargin, layout_.leftMargin,
                               layout_.rightMargin};
    for (int i = 0; i < 4; ++i)
        margins_[size_t(i)]->setText(marginText(margins[i]));

    const bool fewLines = layout_.linesPerRecord < 2;
    for (QCheckBox* c : {columnHeaders_, horzLines_, vertLines_})
        c->setEnabled(fewLines);
    level2_->setEnabled(level1_->isChecked());
    delete_->setEnabled(index_ != NewLayout);
}

void LayoutDesigner::showEvent(QShowEvent* event) {
    DialogBase::showEvent(event);
    name_->setFocus();
}

void LayoutDesigner::refreshFonts() {
    for (int i = 0; i < 4; ++i)
        fontDisplays_[size_t(i)]->setText(layout_.fonts[LayoutFontsDialog::Roles[size_t(i)]].description());
}

void LayoutDesigner::nameChanged() {
    // Delete removes the layout the window was opened on: only while the name is still its own.
    if (index_ != NewLayout) delete_->setEnabled(name_->text().trimmed().left(MaxNameLength) == openingName_);
}

void LayoutDesigner::lineCountLeft() {
    layout_.linesPerRecord = readInteger(numLines_->text().trimmed());
    numLines_->setText(QString::number(layout_.linesPerRecord));
    const bool fewLines = layout_.linesPerRecord < 2;
    for (QCheckBox* c : {columnHeaders_, horzLines_, vertLines_})
        c->setEnabled(fewLines);
}

void LayoutDesigner::checkWidthRadio(int width) {
    const int shown = width == 150 || width == 120 ? width : 90;
    widthRadio(shown)->setChecked(true);
}

int LayoutDesigner::checkedWidth() const {
    for (int i = 0; i < 3; ++i)
        if (widths_[size_t(i)]->isChecked()) return kWidths[i];
    return 90;
}

bool LayoutDesigner::warn(const QString& caption, const QString& text, QWidget* focus) {
    Prompts& prompts = Prompts::instance();
    prompts.beep();
    prompts.message(this, caption, text, Prompts::Ok, Prompts::Ok, Prompts::Icon::Warning);
    if (focus) focus->setFocus();
    if (auto* e = qobject_cast<QLineEdit*>(focus)) e->selectAll();
    return false;
}

bool LayoutDesigner::lineCountValid() {
    const int lines = readInteger(numLines_->text().trimmed());
    if (lines >= 0 && lines <= MaxBodyLines) return true;
    return warn(QStringLiteral("Notice"),
                QStringLiteral("Number of lines must be in range of 0 to 12.  Please correct."), numLines_);
}

bool LayoutDesigner::readMargins(std::array<double, 4>* values) {
    for (int i = 0; i < 4; ++i) {
        QString text = margins_[size_t(i)]->text().trimmed();
        text.replace(u',', u'.');
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (!ok || v < 0 || !std::isfinite(v))
            return warn(QStringLiteral("Notice"),
                        QStringLiteral("Margins must be given in inches, such as 0.50.  Please correct."),
                        margins_[size_t(i)]);
        (*values)[size_t(i)] = v;
    }
    return true;
}

void LayoutDesigner::WidthClick(int width) {
    const int from = layout_.width;
    if (width == from) return;
    Prompts& prompts = Prompts::instance();
    QString question;
    if (width == 90)
        question =
            QStringLiteral("Switching to 90 characters from 120 or 150 will truncate the current defined "
                           "lines.  In addition, the font size will be reset to a 10 point as a default.  "
                           "Are you sure you wish to do this?");
    else if (width == 120 && from == 150)
        question =
            QStringLiteral("Switching to 120 characters from 150 will truncate the current defined lines.  "
                           "In addition, the font size will be reset to a 8 point as a default.  Are you "
                           "sure you wish to do this?");
    if (!question.isEmpty()) {
        prompts.beep();
        if (prompts.message(this, QStringLiteral("Warning"), question, Prompts::Yes | Prompts::No,
                            Prompts::No, Prompts::Icon::Critical) != Prompts::Yes) {
            checkWidthRadio(from);
            return;
        }
    }
    // The lines fitted are those of the line count as it stands in its box.
    layout_.linesPerRecord = readInteger(numLines_->text().trimmed());
    layout_.switchWidth(width);
    refreshFonts();
    QString notice;
    if (width == 120)
        notice = QStringLiteral("The Report Body font size has been set to a 8 Point default size as.");
    else if (width == 150)
        notice =
            QStringLiteral("The Report Body font size has been set to a 6 Point default size as a result of "
                           "switching to 150 characters per line.");
    if (!notice.isEmpty()) warn(QStringLiteral("Notice"), notice, nullptr);
}

void LayoutDesigner::SetFontsClick() {
    LayoutFontsDialog fonts(*session(), layout_, this);
    fonts.exec();
    refreshFonts();
}

void LayoutDesigner::SpecifyButtonClick() {
    if (!lineCountValid()) return;
    lineCountLeft();
    LineEditor editor(*session(), layout_, checkedWidth(), useTotals_->isChecked(), this);
    if (editor.exec() != QDialog::Accepted) return;
    layout_.totals = editor.layout().totals;
    layout_.body = editor.layout().body;
}

void LayoutDesigner::HelpButtonClick() {
    HelpWindow::showHelp(this, QStringLiteral("User Defined Reports"));
}

void LayoutDesigner::UpdateButtonClick() {
    if (!lineCountValid()) return;
    const QString name = name_->text().trimmed().left(MaxNameLength);
    if (name.isEmpty())
        return void(warn(QStringLiteral("Notice"), QStringLiteral("Please give the report a name."), name_));
    std::array<double, 4> margins{};
    if (!readMargins(&margins)) return;

    ReportLayout l = layout_;
    l.linesPerRecord = readInteger(numLines_->text().trimmed());
    l.topMargin = margins[0];
    l.bottomMargin = margins[1];
    l.leftMargin = margins[2];
    l.rightMargin = margins[3];
    l.name = name;
    for (int i = 0; i < 3; ++i)
        l.titles[size_t(i)] = titles_[size_t(i)]->text().left(MaxTitleLength);
    l.width = checkedWidth();
    l.columnHeaders = columnHeaders_->isChecked();
    l.groupLevel1 = level1_->isChecked();
    l.groupLevel2 = l.groupLevel1 && level2_->isChecked();
    l.pageNumbers = pageNumbers_->isChecked();
    l.landscape = landOrient_->isChecked();
    l.dateOnPages = dateOnPage_->isChecked();
    l.horizontalLines = horzLines_->isChecked();
    l.verticalLines = vertLines_->isChecked();
    l.useTotals = useTotals_->isChecked();

    Prompts& prompts = Prompts::instance();
    bool asNew = index_ == NewLayout;
    if (!asNew && name != openingName_) {
        prompts.beep();
        const Prompts::Button answer = prompts.message(
            this, QStringLiteral("Warning"),
            QStringLiteral(
                "Report Title has changed!  Do you wish to save this as a new report?   (YES saves as new "
                "report.  NO overwrites old report.  CANCEL aborts.)"),
            Prompts::Yes | Prompts::No | Prompts::Cancel, Prompts::No, Prompts::Icon::Critical);
        if (answer == Prompts::Cancel) return;
        asNew = answer == Prompts::Yes;
    }

    LayoutFile file(file_);
    QString error;
    int index = index_;
    bool saved;
    if (asNew) {
        saved = file.append(l, &error);
        if (saved) index = int(file.names().size()) - 1;
    } else {
        saved = file.overwrite(index_, l, &error);
    }
    if (!saved) {
        prompts.error(this, error);
        return;
    }
    layout_ = l;
    index_ = index;
    outcome_ = Outcome::Saved;
    accept();
}

void LayoutDesigner::DeleteButtonClick() {
    if (index_ == NewLayout) return;
    Prompts& prompts = Prompts::instance();
    prompts.beep();
    if (prompts.message(this, QStringLiteral("Warning"),
                        QStringLiteral("Are you sure you want to delete this report?"),
                        Prompts::Yes | Prompts::No, Prompts::No, Prompts::Icon::Question) != Prompts::Yes)
        return;
    LayoutFile file(file_);
    QString error;
    if (!file.remove(index_, &error)) {
        prompts.error(this, error);
        return;
    }
    outcome_ = Outcome::Deleted;
    accept();
}

} // namespace reports
