#include "config/ui/viewerconfigwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

#include "catalogue/session.h"
#include "widgets/helpwindow.h"
#include "widgets/prompts.h"

using config::ViewerConfiguration;

void ConfigGrid::commitOpenEditor() {
    if (state() != QAbstractItemView::EditingState) return;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor) {
        // The open editor is a child of the viewport with the focus (or the last one made).
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->parentWidget() == viewport()) editor = focus;
        if (!editor) {
            const auto edits = viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
            for (QLineEdit* e : edits)
                if (e->isVisible()) editor = e;
        }
    }
    if (!editor) return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

namespace {

const char* const HelpKeywords[6] = {"Viewer Configuration Title", "Viewer Configuration Look",
                                     "Viewer Configuration Show",  "Viewer Configuration Widths",
                                     "Viewer Configuration Order", "Viewer Configuration Names"};

// The line editor of a typed column: no more characters than the value keeps, named for tests.
class LineDelegate : public QStyledItemDelegate {
public:
    LineDelegate(int maxLength, QString editorName, QObject* parent)
        : QStyledItemDelegate(parent), maxLength_(maxLength), editorName_(std::move(editorName)) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            edit->setMaxLength(maxLength_);
            edit->setObjectName(editorName_);
        }
        return w;
    }

private:
    int maxLength_;
    QString editorName_;
};

QTableWidgetItem* fixedItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QTableWidgetItem* editableItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    return item;
}

QFrame* colorSample(const QString& objectName, QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setObjectName(objectName);
    f->setFrameStyle(QFrame::Box | QFrame::Plain);
    f->setFixedSize(64, 28);
    f->setAutoFillBackground(true);
    look::markOwnLook(f); // shows a colour of the viewer, not of the window
    return f;
}

void paintSample(QFrame* sample, int colorNumber) {
    QPalette p = sample->palette();
    p.setColor(QPalette::Window, WindowColors::fromNumber(colorNumber));
    p.setColor(QPalette::WindowText, Qt::black);
    sample->setPalette(p);
}

QPushButton* namedButton(const QString& objectName, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(objectName);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* namedCheck(const QString& objectName, const QString& caption, bool checked, QWidget* parent) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(objectName);
    c->setChecked(checked);
    return c;
}

} // namespace

ViewerConfigWindow::ViewerConfigWindow(Session& session, QWidget* parent)
    : DialogBase(session, WindowGroup::Configure, parent), session_(session),
      config_(std::make_unique<ViewerConfiguration>(session.database())) {
    setObjectName(QStringLiteral("ViewConfig"));
    setWindowTitle(QStringLiteral("Viewer Configuration"));
    setMoveUp(true);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("MyTabbedPage"));
    tabs_->addTab(buildTitlePage(), QStringLiteral("&Title"));
    tabs_->addTab(buildLookPage(), QStringLiteral("&Look and Feel"));
    tabs_->addTab(buildShowPage(), QStringLiteral("Fields to &Show"));
    tabs_->addTab(buildWidthsPage(), QStringLiteral("Field &Widths"));
    tabs_->addTab(buildOrderPage(), QStringLiteral("Field &Order"));
    tabs_->addTab(buildNamesPage(), QStringLiteral("Field &Names"));

    auto* exit = namedButton(QStringLiteral("ExitButton"), QStringLiteral("E&xit"), this);
    auto* help = namedButton(QStringLiteral("HelpButton"), QStringLiteral("&Help"), this);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, &ViewerConfigWindow::showHelp);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    buttons->addWidget(help);

    auto* main = new QVBoxLayout(this);
    main->addWidget(tabs_, 1);
    main->addLayout(buttons);

    fillGrids();
    showFontsAndColors();
    tabs_->setCurrentIndex(NamesPage);
    resize(600, 420); // with its title bar within the 640 x 480 screen, and so at every screen size
}

ViewerConfigWindow::~ViewerConfigWindow() = default;

QString ViewerConfigWindow::helpKeyword(int page) {
    if (page < 0 || page > NamesPage) return QString();
    return QString::fromLatin1(HelpKeywords[page]);
}

QCheckBox* ViewerConfigWindow::checkBox(const QString& objectName) const {
    return findChild<QCheckBox*>(objectName);
}

QPushButton* ViewerConfigWindow::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

// ---------------------------------------------------------------------------------------------
// The pages

QWidget* ViewerConfigWindow::buildTitlePage() {
    DatabaseSettings& s = session_.database();
    auto* page = new QWidget;
    showTitles_ =
        namedCheck(QStringLiteral("ShowGridTitle"), QStringLiteral("Show Column Titles"), s.showTitles, page);
    connect(showTitles_, &QCheckBox::toggled, this, [this](bool on) { session_.database().showTitles = on; });

    auto* fontBox = new QGroupBox(QStringLiteral("Title Font"), page);
    titleFont_ = new QLineEdit(fontBox);
    titleFont_->setObjectName(QStringLiteral("TitleFont"));
    titleFont_->setReadOnly(true);
    auto* fontButton = namedButton(QStringLiteral("TitleFontButton"), QStringLiteral("New &Font"), fontBox);
    connect(fontButton, &QPushButton::clicked, this, &ViewerConfigWindow::chooseTitleFont);
    auto* fontRow = new QHBoxLayout(fontBox);
    fontRow->addWidget(titleFont_, 1);
    fontRow->addWidget(fontButton);

    auto* backBox = new QGroupBox(QStringLiteral("Background"), page);
    titleShape_ = colorSample(QStringLiteral("TitleShape"), backBox);
    auto* colorButton = namedButton(QStringLiteral("Button1"), QStringLiteral("New &Color"), backBox);
    connect(colorButton, &QPushButton::clicked, this, &ViewerConfigWindow::chooseTitleColor);
    auto* backRow = new QHBoxLayout(backBox);
    backRow->addWidget(titleShape_);
    backRow->addStretch();
    backRow->addWidget(colorButton);

    auto* alignBox = new QGroupBox(QStringLiteral("Alignment"), page);
    auto* alignRow = new QVBoxLayout(alignBox);
    const char* names[3] = {"TitleLeft", "TitleCenter", "TitleRight"};
    const char* captions[3] = {"Left Justify", "Center", "Right Justify"};
    for (int a = 1; a <= 3; ++a) {
        auto* r = new QRadioButton(QString::fromLatin1(captions[a - 1]), alignBox);
        r->setObjectName(QString::fromLatin1(names[a - 1]));
        r->setChecked(s.titleAlignment == a);
        connect(r, &QRadioButton::toggled, this, [this, a](bool on) {
            if (on) session_.database().titleAlignment = a;
        });
        alignRow->addWidget(r);
        alignment_[size_t(a - 1)] = r;
    }

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(showTitles_);
    layout->addWidget(fontBox);
    layout->addWidget(backBox);
    layout->addWidget(alignBox);
    layout->addStretch();
    return page;
}

QWidget* ViewerConfigWindow::buildLookPage() {
    DatabaseSettings& s = session_.database();
    auto* page = new QWidget;
    auto* options = new QGroupBox(QStringLiteral("Grid Options"), page);
    auto* optionRows = new QVBoxLayout(options);
    const struct {
        const char* name;
        const char* caption;
        bool DatabaseSettings::*setting;
    } checks[] = {{"ColumnLines", "Show lines between columns", &DatabaseSettings::columnLines},
                  {"RowLines", "Show lines between rows", &DatabaseSettings::rowLines},
                  {"RowIndicator", "Show current row indicator", &DatabaseSettings::rowIndicator},
                  {"FieldEditing", "Allow field editing", &DatabaseSettings::fieldEditing}};
    for (const auto& c : checks) {
        auto* box =
            namedCheck(QString::fromLatin1(c.name), QString::fromLatin1(c.caption), s.*(c.setting), options);
        auto setting = c.setting;
        connect(box, &QCheckBox::toggled, this,
                [this, setting](bool on) { session_.database().*setting = on; });
        optionRows->addWidget(box);
    }

    auto* colorBox = new QGroupBox(QStringLiteral("Cell Color"), page);
    cellShape_ = colorSample(QStringLiteral("CellColorShape"), colorBox);
    auto* colorButton = namedButton(QStringLiteral("NewColorBUtton"), QStringLiteral("New &Color"), colorBox);
    connect(colorButton, &QPushButton::clicked, this, &ViewerConfigWindow::chooseCellColor);
    auto* colorRow = new QHBoxLayout(colorBox);
    colorRow->addWidget(cellShape_);
    colorRow->addStretch();
    colorRow->addWidget(colorButton);

    auto* fontBox = new QGroupBox(QStringLiteral("Cell Font"), page);
    gridFont_ = new QLineEdit(fontBox);
    gridFont_->setObjectName(QStringLiteral("GridFont"));
    gridFont_->setReadOnly(true);
    auto* fontButton = namedButton(QStringLiteral("NewFontButton"), QStringLiteral("New &Font"), fontBox);
    connect(fontButton, &QPushButton::clicked, this, &ViewerConfigWindow::chooseGridFont);
    auto* fontRow = new QHBoxLayout(fontBox);
    fontRow->addWidget(gridFont_, 1);
    fontRow->addWidget(fontButton);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(options);
    layout->addWidget(colorBox);
    layout->addWidget(fontBox);
    layout->addStretch();
    return page;
}

ConfigGrid* ViewerConfigWindow::slotGrid(const QString& objectName, const QString& valueTitle) {
    auto* g = new ConfigGrid(FieldCount, 2);
    g->setObjectName(objectName);
    g->setHorizontalHeaderLabels({QStringLiteral("FIELD"), valueTitle});
    g->verticalHeader()->hide();
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setTabKeyNavigation(false);
    connect(g, &QTableWidget::itemChanged, this, &ViewerConfigWindow::cellChanged);
    return g;
}

QWidget* ViewerConfigWindow::buildShowPage() {
    auto* page = new QWidget;
    showGrid_ = slotGrid(QStringLiteral("FieldsToDisplay"), QStringLiteral("DISPLAY IT"));
    connect(showGrid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (column != ValueColumn || row < 0 || row >= FieldCount) return;
        config_->toggleDisplayed(row + 1);
        filling_ = true;
        showGrid_->item(row, ValueColumn)->setText(config_->displayText(row + 1));
        filling_ = false;
    });
    auto* text = new QLabel(
        QStringLiteral("For each field that you would like displayed in the Viewer, select 'Yes'.  If "
                       "you do not wish a field to appear in the Viewer, then select 'No' for that "
                       "field.  Double Click on the field to change between 'Yes' and 'No'."),
        page);
    text->setWordWrap(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(showGrid_, 1);
    layout->addWidget(text);
    return page;
}

QWidget* ViewerConfigWindow::buildWidthsPage() {
    return editablePage(QStringLiteral("FieldWidthGrid"), QStringLiteral("WIDTH"), &widthGrid_, 10,
                        QStringLiteral("WidthEdit"));
}

// A page of one grid whose value column is typed into (at most maxLength characters).
QWidget* ViewerConfigWindow::editablePage(const QString& objectName, const QString& valueTitle,
                                          ConfigGrid** grid, int maxLength, const QString& editorName) {
    auto* page = new QWidget;
    *grid = slotGrid(objectName, valueTitle);
    (*grid)->setItemDelegateForColumn(ValueColumn, new LineDelegate(maxLength, editorName, *grid));
    (*grid)->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                             QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(*grid, 1);
    return page;
}

QWidget* ViewerConfigWindow::buildOrderPage() {
    auto* page = new QWidget;
    orderGrid_ = new ConfigGrid(FieldCount, 1);
    orderGrid_->setObjectName(QStringLiteral("FieldOrderGrid"));
    orderGrid_->horizontalHeader()->hide();
    orderGrid_->verticalHeader()->hide();
    orderGrid_->horizontalHeader()->setStretchLastSection(true);
    orderGrid_->setSelectionMode(QAbstractItemView::SingleSelection);
    orderGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    orderGrid_->setTabKeyNavigation(false);

    auto* fieldLabel = new QLabel(QStringLiteral("Field"), page);
    auto* orderingLabel = new QLabel(QStringLiteral("Ordering"), page);
    auto* up = namedButton(QStringLiteral("OrderUp"), QStringLiteral("&Up"), page);
    auto* down = namedButton(QStringLiteral("OrderDown"), QStringLiteral("&Down"), page);
    auto* defaults = namedButton(QStringLiteral("OrderDefaults"), QStringLiteral("D&efaults"), page);
    connect(up, &QPushButton::clicked, this, &ViewerConfigWindow::orderUp);
    connect(down, &QPushButton::clicked, this, &ViewerConfigWindow::orderDown);
    connect(defaults, &QPushButton::clicked, this, &ViewerConfigWindow::orderDefaults);

    auto* left = new QVBoxLayout;
    left->addWidget(fieldLabel);
    left->addWidget(orderGrid_, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(orderingLabel);
    right->addWidget(up);
    right->addWidget(down);
    right->addSpacing(12);
    right->addWidget(defaults);
    right->addStretch();
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left, 1);
    layout->addLayout(right);
    return page;
}

QWidget* ViewerConfigWindow::buildNamesPage() {
    return editablePage(QStringLiteral("FieldNameGrid"), QStringLiteral("NAME TO USE"), &nameGrid_,
                        config::DisplayNameLength, QStringLiteral("NameEdit"));
}

// ---------------------------------------------------------------------------------------------
// Filling and showing

void ViewerConfigWindow::fillGrids() {
    filling_ = true;
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const int row = slot - 1;
        // The "FIELD" columns of the show and width pages name the fields as the user knows them.
        showGrid_->setItem(row, FieldColumn, fixedItem(config_->openingName(slot)));
        showGrid_->setItem(row, ValueColumn, fixedItem(config_->displayText(slot)));
        widthGrid_->setItem(row, FieldColumn, fixedItem(config_->openingName(slot)));
        widthGrid_->setItem(row, ValueColumn, editableItem(config_->widthText(slot)));
        nameGrid_->setItem(row, FieldColumn, fixedItem(fieldName(slot)));
        nameGrid_->setItem(row, ValueColumn, editableItem(config_->nameText(slot)));
        orderGrid_->setItem(row, 0, fixedItem(QString()));
        fillOrderRow(row);
    }
    for (ConfigGrid* g : {showGrid_, widthGrid_, nameGrid_, orderGrid_})
        g->setCurrentCell(0, g == orderGrid_ ? 0 : ValueColumn);
    filling_ = false;
}

void ViewerConfigWindow::fillOrderRow(int row) {
    const bool was = filling_;
    filling_ = true;
    orderGrid_->item(row, 0)->setText(config_->orderText(row));
    filling_ = was;
}

void ViewerConfigWindow::showFontsAndColors() {
    const DatabaseSettings& s = session_.database();
    titleFont_->setText(config::fontDescription(s.gridTitleFont));
    gridFont_->setText(config::fontDescription(s.gridFont));
    paintSample(titleShape_, s.titleBackground);
    paintSample(cellShape_, s.cellColor);
}

void ViewerConfigWindow::showEvent(QShowEvent* event) {
    DialogBase::showEvent(event);
    if (event->spontaneous()) return;
    // Column widths of 200 and 100 (200 and 200 for the names), rows to the font, by the scale.
    const double scale = session_.screenScale() > 0 ? session_.screenScale() : 1.0;
    auto scaled = [scale](int v) { return int(std::lround(v * scale)); };
    for (ConfigGrid* g : {showGrid_, widthGrid_, nameGrid_}) {
        g->setColumnWidth(FieldColumn, scaled(200));
        g->setColumnWidth(ValueColumn, scaled(g == nameGrid_ ? 200 : 100));
    }
    for (ConfigGrid* g : {showGrid_, widthGrid_, nameGrid_, orderGrid_})
        g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
}

void ViewerConfigWindow::cellChanged(QTableWidgetItem* item) {
    if (filling_ || item->column() != ValueColumn) return;
    const int slot = item->row() + 1;
    if (item->tableWidget() == widthGrid_)
        config_->setWidthText(slot, item->text());
    else if (item->tableWidget() == nameGrid_)
        config_->setNameText(slot, item->text());
}

// ---------------------------------------------------------------------------------------------
// Immediate changes

void ViewerConfigWindow::chooseTitleFont() {
    FontSetting& f = session_.database().gridTitleFont;
    if (const auto chosen = Prompts::instance().font(this, config::fontFromSetting(f))) {
        config::takeFont(f, *chosen);
        showFontsAndColors();
    }
}

void ViewerConfigWindow::chooseGridFont() {
    FontSetting& f = session_.database().gridFont;
    if (const auto chosen = Prompts::instance().font(this, config::fontFromSetting(f))) {
        config::takeFont(f, *chosen);
        showFontsAndColors();
    }
}

void ViewerConfigWindow::chooseTitleColor() {
    int& c = session_.database().titleBackground;
    if (const auto chosen = Prompts::instance().color(this, WindowColors::fromNumber(c))) {
        c = WindowColors::toNumber(*chosen);
        showFontsAndColors();
    }
}

void ViewerConfigWindow::chooseCellColor() {
    int& c = session_.database().cellColor;
    if (const auto chosen = Prompts::instance().color(this, WindowColors::fromNumber(c))) {
        c = WindowColors::toNumber(*chosen);
        showFontsAndColors();
    }
}

// ---------------------------------------------------------------------------------------------
// The order page

void ViewerConfigWindow::orderUp() {
    const int row = orderGrid_->currentRow();
    if (!config_->moveUp(row)) return;
    fillOrderRow(row);
    fillOrderRow(row - 1);
    orderGrid_->setCurrentCell(row - 1, 0);
}

void ViewerConfigWindow::orderDown() {
    const int row = orderGrid_->currentRow();
    if (!config_->moveDown(row)) return;
    fillOrderRow(row);
    fillOrderRow(row + 1);
    orderGrid_->setCurrentCell(row + 1, 0);
}

void ViewerConfigWindow::orderDefaults() {
    Prompts& p = Prompts::instance();
    p.beep();
    if (p.message(this, QStringLiteral("Re-Order"), ViewerConfiguration::defaultOrderQuestion(),
                  Prompts::Yes | Prompts::No, Prompts::No, Prompts::Icon::Question) != Prompts::Yes)
        return;
    config_->restoreDefaultOrder();
    for (int row = 0; row < FieldCount; ++row)
        fillOrderRow(row);
}

// ---------------------------------------------------------------------------------------------
// Help and closing

void ViewerConfigWindow::showHelp() {
    HelpWindow::showHelp(this, helpKeyword(tabs_->currentIndex()));
}

void ViewerConfigWindow::commitEditors() {
    for (ConfigGrid* g : {widthGrid_, nameGrid_})
        g->commitOpenEditor();
}

bool ViewerConfigWindow::closeChecked() {
    commitEditors();
    if (const auto problem = config_->nameProblem()) {
        Prompts::instance().error(this, problem->message);
        tabs_->setCurrentIndex(NamesPage);
        nameGrid_->setCurrentCell(problem->slot - 1, ValueColumn);
        nameGrid_->setFocus();
        return false;
    }
    config_->apply(session_.database());
    filling_ = true;
    for (int slot = 1; slot <= FieldCount; ++slot) {
        widthGrid_->item(slot - 1, ValueColumn)->setText(config_->widthText(slot));
        nameGrid_->item(slot - 1, ValueColumn)->setText(config_->nameText(slot));
    }
    filling_ = false;
    return true;
}

void ViewerConfigWindow::done(int result) {
    if (!closeChecked()) return;
    DialogBase::done(result);
    // The viewer shows every displayed field again, by the new options.
    session_.notifyViewerOptionsChanged();
}

void configureViewer(Session& session, QWidget* parent) {
    ViewerConfigWindow window(session, parent);
    window.exec();
}
