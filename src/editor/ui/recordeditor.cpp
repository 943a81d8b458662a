#include "editor/ui/recordeditor.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

#include "base/printjob.h"
#include "base/regional.h"
#include "catalogue/datalists.h"
#include "catalogue/fieldslots.h"
#include "catalogue/recordwriter.h"
#include "catalogue/session.h"
#include "dbase/error.h"
#include "editor/recordprint.h"
#include "editor/ui/awardpickdialog.h"
#include "editor/ui/editorsupport.h"
#include "render/renderer.h"
#include "widgets/printers.h"
#include "widgets/prompts.h"

namespace {

using editorcontrols::Kind;

// Boxes whose leaving refreshes the title lines.
const int kCaptionBoxes[] = {Slot::Title,           Slot::Year,          Slot::Writers,
                             Slot::KeyWords,        Slot::Description,   Slot::OscarAward,
                             Slot::OscarNomination, Slot::Miscellaneous, Slot::UserDefined1,
                             Slot::UserDefined2};

// Print order of the controls (lines 0 to 37).
const int kPrintOrder[] = {
    Slot::Title,        Slot::Star1,        Slot::Star2,          Slot::Star3,           Slot::Star4,
    Slot::Star5,        Slot::Star6,        Slot::Producer,       Slot::Director,        Slot::ReleasedBy,
    Slot::Year,         Slot::RunTime,      Slot::Rating,         Slot::Category,        Slot::Picture,
    Slot::Sound,        Slot::Format,       Slot::PersonalRating, Slot::MediaNumber,     Slot::RecordingSpeed,
    Slot::CounterStart, Slot::CounterStop,  Slot::Description,    Slot::Content,         Slot::Miscellaneous,
    Slot::KeyWords,     Slot::LaserFormat,  Slot::ListPrice,      Slot::OscarNomination, Slot::OscarAward,
    Slot::CheckDate,    Slot::CheckName,    Slot::PurchasePrice,  Slot::PurchaseDate,    Slot::WherePurchased,
    Slot::Writers,      Slot::UserDefined1, Slot::UserDefined2};

QString escapeMnemonic(QString s) {
    return s.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// Width of a box for n characters of its font (the design width; the dialog scales it).
int charsWidth(const QWidget* w, int n) {
    return w->fontMetrics().horizontalAdvance(QLatin1Char('n')) * n + 12;
}

} // namespace

// ---------------------------------------------------------------------------------------------

RecordEditor::RecordEditor(Session& session, QWidget* parent)
    : DialogBase(session, WindowGroup::Edit, parent), session_(session) {
    // No minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("MyEdit"));
    setWindowTitle(QStringLiteral("Edit"));
    setMoveUp(true);
    buildControls();
    buildWalk();
    // Key presses and focus changes of the controls are seen here first.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    loading_ = false;
    // LoadAllList: the data lists of the open catalogue (the defaults when it has none).
    if (!session_.currentDatabase().isEmpty()) {
        QString error;
        if (!session_.lists().loadAllLists(session_.currentDatabase(), &error))
            Prompts::instance().error(this, error);
    }
    loadLists();
    editorsupport::onListsChanged(session_, this, [this](int number) { loadLists(number); });
    applyBrowseMode();
}

RecordEditor::~RecordEditor() = default;

void RecordEditor::buildControls() {
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(8, 4, 8, 8);
    top->setSpacing(6);
    auto* bar = new QMenuBar(this);
    top->setMenuBar(bar);
    buildMenu(bar);

    notebook_ = new QTabWidget(this);
    notebook_->setObjectName(QStringLiteral("MyTabbedNoteBook"));
    top->addWidget(notebook_, 1);

    auto label = [this](const editorcontrols::Control& entryRow, QWidget* parent, QWidget* buddy) {
        auto* l = new QLabel(parent);
        l->setProperty("slot", entryRow.slot);
        l->setObjectName(entryRow.slot == Slot::Star1
                             ? QStringLiteral("StarsLabel")
                             : QString::fromLatin1(fieldSlot(entryRow.slot).name) + QStringLiteral("Label"));
        l->setBuddy(buddy);
        fieldLabels_.push_back(l);
        return l;
    };
    auto titleLine = [this](QWidget* page, const char* name) {
        auto* l = new QLabel(page);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextFormat(Qt::PlainText);
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMargin(2);
        l->setMinimumWidth(100);
        return l;
    };

    // The four pages, each a grid of labels and controls; pages 1 to 3 end with the title line.
    const char* const captions[4] = {"Par&ticulars", "&Attributes", "Li&brary", "&Other"};
    QWidget* pages[4];
    QGridLayout* grids[4];
    for (int p = 0; p < 4; ++p) {
        pages[p] = new QWidget;
        grids[p] = new QGridLayout;
        grids[p]->setHorizontalSpacing(8);
        grids[p]->setVerticalSpacing(6);
        if (p == Particulars)
            pages[p]->setLayout(grids[p]);
        else
            (new QVBoxLayout(pages[p]))->addLayout(grids[p]);
    }

    controls_.reserve(editorcontrols::Controls.size());
    for (const editorcontrols::Control& entryRow : editorcontrols::Controls) {
        QWidget* page = pages[entryRow.page];
        QGridLayout* g = grids[entryRow.page];
        if (entryRow.kind == Kind::Check) {
            auto* box = new QCheckBox(page);
            box->setObjectName(QString::fromLatin1(entryRow.name));
            box->setProperty("slot", entryRow.slot);
            g->addWidget(box, entryRow.row, entryRow.column, Qt::AlignLeft);
            (entryRow.slot == Slot::Viewed ? viewed_ : checkOut_) = box;
            continue;
        }
        TextControl c{&entryRow};
        if (entryRow.kind == Kind::Combo) {
            auto* combo = new QComboBox(page);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setCompleter(nullptr);
            combo->setMaxVisibleItems(12);
            combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            c.widget = combo;
            c.edit = combo->lineEdit();
        } else {
            auto* edit = new QLineEdit(page);
            c.widget = edit;
            c.edit = edit;
        }
        c.widget->setObjectName(QString::fromLatin1(entryRow.name));
        const int width = fieldSlot(entryRow.slot).width;
        c.edit->setMaxLength(width);
        c.widget->setMinimumWidth(
            charsWidth(c.widget, std::max(std::min(width, 34), entryRow.kind == Kind::Combo ? 14 : 5)));
        // Short boxes (year, play time, counters, dates) are no wider than their text needs.
        if (entryRow.kind != Kind::Combo && width <= 12)
            c.widget->setMaximumWidth(charsWidth(c.widget, std::max(width, 5) + 4));
        if (fieldSlot(entryRow.slot).typeCode == TypeFloat) {
            c.edit->setAlignment(Qt::AlignRight);
            c.widget->setMinimumWidth(charsWidth(c.widget, 14));
            c.widget->setMaximumWidth(charsWidth(c.widget, 18));
        }

        // A date box with its "Blan&k Date" button, an award box with its "Select" button.
        QHBoxLayout* row = nullptr;
        if (entryRow.kind == Kind::Date) {
            c.edit->setProperty("dateBox", true);
            c.widget->setMinimumWidth(charsWidth(c.widget, 11));
            c.widget->setMaximumWidth(charsWidth(c.widget, 13));
            auto* blank = new QPushButton(QStringLiteral("Blan&k Date"), page);
            blank->setAutoDefault(false);
            QLineEdit* box = c.edit;
            connect(blank, &QPushButton::clicked, this, [box] { box->clear(); });
            if (entryRow.slot == Slot::CheckDate) {
                blank->setObjectName(QStringLiteral("BlankCheckOut"));
                blankCheckOut_ = blank;
            } else {
                blank->setObjectName(QStringLiteral("BlankPurchDate"));
                blankPurchDate_ = blank;
            }
            row = new QHBoxLayout;
            row->addWidget(c.widget);
            row->addWidget(blank);
            row->addStretch(1);
        } else if (entryRow.kind == Kind::Award) {
            const int mode = entryRow.slot == Slot::OscarAward        ? 1
                             : entryRow.slot == Slot::OscarNomination ? 2
                                                                      : 3;
            auto* select = new QPushButton(QStringLiteral("Select"), page);
            select->setObjectName(mode == 1   ? QStringLiteral("SelectOscarAward")
                                  : mode == 2 ? QStringLiteral("SelectOscarNom")
                                              : QStringLiteral("SelectMisc"));
            select->setAutoDefault(false);
            connect(select, &QPushButton::clicked, this, [this, mode] { selectAward(mode); });
            (mode == 1 ? selectOscarAward_ : mode == 2 ? selectOscarNom_ : selectMisc_) = select;
            row = new QHBoxLayout;
            row->addWidget(c.widget, 1);
            row->addWidget(select);
        }
        if (row) {
            row->setSpacing(6);
            g->addLayout(row, entryRow.row, entryRow.column, 1, entryRow.span);
        } else if (entryRow.narrow) {
            g->addWidget(c.widget, entryRow.row, entryRow.column, 1, entryRow.span, Qt::AlignLeft);
        } else {
            g->addWidget(c.widget, entryRow.row, entryRow.column, 1, entryRow.span);
        }
        if (entryRow.label) g->addWidget(label(entryRow, page, c.widget), entryRow.row, entryRow.column - 1);
        controls_.push_back(c);
    }
    connect(checkOut_, &QCheckBox::clicked, this, &RecordEditor::checkOutClicked);

    grids[Particulars]->setRowStretch(grids[Particulars]->rowCount(), 1);
    grids[Particulars]->setColumnStretch(1, 1);
    grids[Particulars]->setColumnStretch(2, 1);
    grids[Attributes]->setColumnStretch(1, 1);
    grids[Attributes]->setColumnStretch(3, 1);
    grids[Library]->setColumnStretch(1, 1);
    grids[Other]->setColumnStretch(1, 1);
    warrantyItem_ = titleLine(pages[Attributes], "WarrantyItem");
    libraryItem_ = titleLine(pages[Library], "LibraryItem");
    worthItem_ = titleLine(pages[Other], "WorthItem");
    for (auto [p, line] : {std::pair{Attributes, warrantyItem_}, std::pair{Library, libraryItem_},
                           std::pair{Other, worthItem_}}) {
        auto* v = static_cast<QVBoxLayout*>(pages[p]->layout());
        v->addStretch(1);
        v->addWidget(line);
    }
    for (int p = 0; p < 4; ++p)
        notebook_->addTab(pages[p], QString::fromLatin1(captions[p]));

    // Buttons below the pages.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    auto button = [&](const QString& caption, const char* name, void (RecordEditor::*slot)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
        return b;
    };
    updateExitButton_ =
        button(QStringLiteral("&Update && Exit"), "UpdateExitButton", &RecordEditor::updateAndClose);
    updateButton_ = button(QStringLiteral("Up&date"), "UpdateButton", &RecordEditor::updateAndStay);
    clearButton_ = button(QStringLiteral("C&lear"), "ClearButton", &RecordEditor::clearControls);
    cancelButton_ = button(QStringLiteral("E&xit"), "CancelButton", &RecordEditor::closeAskingFirst);
    buttons->addSpacing(12);
    prevButton_ = button(QStringLiteral("&Previous"), "PrevButton", &RecordEditor::previousRecord);
    nextButton_ = button(QStringLiteral("&Next"), "NextButton", &RecordEditor::nextRecord);
    top->addLayout(buttons);

    setDateMasks();
}

void RecordEditor::buildMenu(QMenuBar* bar) {
    auto add = [this](QMenu* menu, const QString& caption, const QKeySequence& key, auto handler,
                      bool browseOff) {
        QAction* a = menu->addAction(caption);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
            shortcutActions_ << a;
        }
        connect(a, &QAction::triggered, this, handler);
        if (browseOff) browseDisabled_ << a;
        return a;
    };
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    add(
        file, QStringLiteral("N&ew Record"), QKeySequence(Qt::CTRL | Qt::Key_E), [this] { newRecord(); },
        true);
    add(
        file, QStringLiteral("Cop&y Record"), QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { copyRecord(); },
        false);
    add(
        file, QStringLiteral("&Clear Record"), QKeySequence(Qt::CTRL | Qt::Key_L),
        [this] { clearControls(); }, true);
    add(
        file, QStringLiteral("Up&date Record"), QKeySequence(Qt::CTRL | Qt::Key_R),
        [this] { updateAndStay(); }, true);
    add(
        file, QStringLiteral("&Update && Exit"), QKeySequence(Qt::CTRL | Qt::Key_U),
        [this] { updateAndClose(); }, true);
    add(
        file, QStringLiteral("Prin&t Record"), QKeySequence(Qt::CTRL | Qt::Key_T), [this] { printRecord(); },
        false);
    add(
        file, QStringLiteral("&Previous Record"), QKeySequence(Qt::CTRL | Qt::Key_P),
        [this] { previousRecord(); }, false);
    add(
        file, QStringLiteral("&Next Record"), QKeySequence(Qt::CTRL | Qt::Key_N), [this] { nextRecord(); },
        false);
    file->addSeparator();
    add(
        file, QStringLiteral("E&xit"), QKeySequence(), [this] { closeAskingFirst(); }, false);
    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    add(
        edit, QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X), [this] { clipboard(0); }, true);
    add(
        edit, QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), [this] { clipboard(1); }, true);
    add(
        edit, QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), [this] { clipboard(2); }, true);
    add(
        edit, QStringLiteral("&Delete"), QKeySequence(Qt::CTRL | Qt::Key_D), [this] { clipboard(3); }, true);
    QAction* help = bar->addAction(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    help->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    help->setShortcutContext(Qt::WindowShortcut);
    shortcutActions_ << help;
    addAction(help);
    connect(help, &QAction::triggered, this, [this] { showInputHelp(); });
    for (QAction* a : std::as_const(shortcutActions_))
        addAction(a);
}

void RecordEditor::buildWalk() {
    for (const editorcontrols::Control& entryRow : editorcontrols::Controls) {
        if (entryRow.kind == Kind::Check)
            walk_.emplace_back(entryRow.slot == Slot::Viewed ? viewed_ : checkOut_, entryRow.page);
        else
            walk_.emplace_back(controlOf(entryRow.slot).widget, entryRow.page);
    }
}

void RecordEditor::applyBrowseMode() {
    const bool browse = session_.browseMode();
    for (QAction* a : std::as_const(browseDisabled_))
        a->setEnabled(!browse);
    for (QPushButton* b : {updateExitButton_, updateButton_, clearButton_, blankCheckOut_, blankPurchDate_,
                           selectOscarAward_, selectOscarNom_, selectMisc_})
        b->setEnabled(!browse);
    // Browsing never changes a record: the boxes show their text and cannot be typed into.
    for (TextControl& c : controls_) {
        c.edit->setReadOnly(browse);
        if (auto* combo = qobject_cast<QComboBox*>(c.widget)) combo->setProperty("readOnly", browse);
    }
    for (QCheckBox* box : {viewed_, checkOut_}) {
        box->setAttribute(Qt::WA_TransparentForMouseEvents, browse);
        box->setProperty("readOnly", browse);
    }
}

// ---------------------------------------------------------------------------------------------
// Controls

const RecordEditor::TextControl& RecordEditor::controlOf(int slot) const {
    for (const TextControl& c : controls_)
        if (c.entryRow->slot == slot) return c;
    Q_ASSERT_X(false, "RecordEditor::controlOf", "a field without a text control");
    return controls_.front();
}

QLineEdit* RecordEditor::editOf(int slot) const {
    return controlOf(slot).edit;
}

QString RecordEditor::text(const TextControl& c) const {
    if (c.entryRow->kind == Kind::Date && DateFormat::isBlankDateText(c.edit->text())) return QString();
    return c.edit->text();
}

void RecordEditor::setText(const TextControl& c, const QString& value) {
    if (auto* combo = qobject_cast<QComboBox*>(c.widget))
        combo->setEditText(value.left(c.edit->maxLength()));
    else
        c.edit->setText(value);
}

void RecordEditor::setDateMasks() {
    // Two digits, separator, two digits, separator, four digits: the current format's order and
    // separator with the full year. A date already in a box keeps its value across a change.
    const DateFormat& f = session_.dateFormat();
    const QString sep(f.separator());
    const QString mask = QStringLiteral("99") + sep + QStringLiteral("99") + sep + QStringLiteral("9999;_");
    for (int slot : {Slot::CheckDate, Slot::PurchaseDate}) {
        QLineEdit* e = editOf(slot);
        if (e->inputMask() == mask) continue;
        QString stored;
        if (e->property("format").isValid()) {
            const DateFormat was(e->property("format").toInt(), true);
            stored = was.parseFull(e->text());
        }
        e->setInputMask(mask);
        e->setProperty("format", f.code());
        e->setText(f.formatFull(stored));
    }
}

void RecordEditor::setLabels() {
    for (QLabel* l : fieldLabels_)
        l->setText(escapeMnemonic(session_.displayName(l->property("slot").toInt())));
    viewed_->setText(escapeMnemonic(session_.displayName(Slot::Viewed)));
    checkOut_->setText(escapeMnemonic(session_.displayName(Slot::CheckOut)));
}

void RecordEditor::loadLists(int number) {
    for (TextControl& c : controls_) {
        const int list = c.entryRow->list;
        if (list == 0 || (number != 0 && list != number)) continue;
        auto* combo = qobject_cast<QComboBox*>(c.widget);
        const QStringList values = editorsupport::values(session_, list);
        QStringList now;
        now.reserve(combo->count());
        for (int i = 0; i < combo->count(); ++i)
            now << combo->itemText(i);
        if (now == values) continue;
        const QString keep = combo->currentText();
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItems(values);
        combo->setEditText(keep);
    }
}

// ---------------------------------------------------------------------------------------------
// Showing, loading, clearing

void RecordEditor::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) fillOnShow();
    DialogBase::showEvent(event);
    if (!event->spontaneous()) {
        // Spacing grows with the screen scale as the controls do; then size and centre again.
        editorsupport::scaleSpacing(this, currentLook().scale);
        applyLook();
    }
}

void RecordEditor::fillOnShow() {
    applyBrowseMode();
    setDateMasks();
    loadLists();
    setLabels();
    setPageCaptions();
    notebook_->setCurrentIndex(Particulars);
    applyColours();
    const EditorMode mode = mode_;
    if ((mode == EditorMode::Edit || mode == EditorMode::Copy) && session_.table().isOpen() &&
        session_.table().recNo() != 0)
        loadRecord();
    else
        clearControls();
    snapshotValues();
    controlOf(Slot::Title).widget->setFocus();
}

void RecordEditor::applyColours() {
    // The colours of the edit window group are applied by the dialog base each time it is shown.
}

void RecordEditor::loadRecord() {
    dbase::Table& table = session_.table();
    const DateFormat& dates = session_.dateFormat();
    auto field = [&table](int slot) { return table.fieldIndex(fieldSlot(slot).name); };
    resetPriceLengths();
    for (const TextControl& c : controls_) {
        const int f = field(c.entryRow->slot);
        QString value;
        if (f >= 0) {
            if (c.entryRow->kind == Kind::Date)
                value = dates.formatFull(QString::fromStdString(table.getDate(f)));
            else
                value = QString::fromStdString(table.getText(f));
        }
        setText(c, value);
    }
    loading_ = true;
    const int checkOutField = field(Slot::CheckOut);
    checkOut_->setChecked(checkOutField >= 0 &&
                          QString::fromStdString(table.getText(checkOutField)) == QLatin1String("Yes"));
    loading_ = false;
    const int viewedField = field(Slot::Viewed);
    viewed_->setChecked(viewedField >= 0 &&
                        QString::fromStdString(table.getText(viewedField)) == QLatin1String("Yes"));
    rememberedCheckDate_ = editOf(Slot::CheckDate)->text().left(10);
    rememberedCheckName_ = textOf(Slot::CheckName).left(30);
    for (int slot : {Slot::ListPrice, Slot::PurchasePrice}) {
        const int f = field(slot);
        if (f < 0 || textOf(slot).isEmpty()) continue;
        const std::optional<double> v = table.getNumber(f);
        setMoneyText(editOf(slot), v.value_or(0.0));
    }
    setPageCaptions();
}

void RecordEditor::resetPriceLengths() {
    for (int slot : {Slot::ListPrice, Slot::PurchasePrice})
        editOf(slot)->setMaxLength(fieldSlot(slot).width);
}

void RecordEditor::clearControls() {
    resetPriceLengths();
    for (const TextControl& c : controls_) {
        if (c.entryRow->kind == Kind::Date)
            c.edit->clear();
        else
            setText(c, QString());
    }
    for (int slot : {Slot::RunTime, Slot::ListPrice, Slot::PurchasePrice})
        editOf(slot)->setText(QStringLiteral("0"));
    loading_ = true;
    checkOut_->setChecked(false);
    loading_ = false;
    viewed_->setChecked(false);
    setPageCaptions();
}

void RecordEditor::snapshotValues() {
    snapshot_.clear();
    // Each box's whole text: a box never holds more than its field takes, except a price shown
    // as money, whose grouping may make it longer than the field's width.
    for (const TextControl& c : controls_)
        snapshot_ << text(c);
    snapshotViewed_ = viewed_->isChecked();
    snapshotCheckOut_ = checkOut_->isChecked();
    setWindowTitle(QStringLiteral("Edit"));
}

bool RecordEditor::valuesChanged() const {
    if (snapshot_.size() != int(controls_.size())) return true;
    for (size_t i = 0; i < controls_.size(); ++i) {
        const QString now = text(controls_[i]);
        if (controls_[i].entryRow->kind == Kind::Date) {
            if (now.trimmed() != snapshot_[int(i)].trimmed()) return true;
        } else if (now != snapshot_[int(i)]) {
            return true;
        }
    }
    return viewed_->isChecked() != snapshotViewed_ || checkOut_->isChecked() != snapshotCheckOut_;
}

void RecordEditor::setPageCaptions() {
    const QString line = session_.displayName(Slot::Title) + QStringLiteral(": ") + textOf(Slot::Title);
    for (QLabel* l : {warrantyItem_, libraryItem_, worthItem_})
        l->setText(line);
}

void RecordEditor::checkOutClicked(bool checked) {
    if (loading_) return;
    if (checked) {
        editOf(Slot::CheckDate)->setText(rememberedCheckDate_);
        setTextOf(Slot::CheckName, rememberedCheckName_);
    } else {
        rememberedCheckDate_ = editOf(Slot::CheckDate)->text().left(10);
        rememberedCheckName_ = textOf(Slot::CheckName).left(30);
        editOf(Slot::CheckDate)->clear();
        setTextOf(Slot::CheckName, QString());
    }
}

void RecordEditor::setMoneyText(QLineEdit* box, double value) {
    const QString money = editorsupport::moneyText(session_, value);
    // The money form may be longer than the field's width (grouping); it must never be cut.
    if (money.size() > box->maxLength()) box->setMaxLength(int(money.size()));
    box->setText(money);
}

void RecordEditor::normalisePrice(QLineEdit* box) {
    if (box->isReadOnly()) return;
    const QString t = box->text().trimmed();
    if (t.isEmpty()) return;
    // A text that is not a number stays as typed, so that the update names it.
    if (const std::optional<double> v = editorsupport::readMoney(session_, t)) setMoneyText(box, *v);
}

// ---------------------------------------------------------------------------------------------
// Updating

bool RecordEditor::failValidation(const QString& message, int page, QWidget* control) {
    Prompts::instance().error(this, message);
    focusControl(control, page);
    return false;
}

void RecordEditor::focusControl(QWidget* control, int page) {
    notebook_->setCurrentIndex(page);
    control->setFocus(Qt::OtherFocusReason);
    // As Tab does: the whole text is selected, so that typing replaces it; a date box waits at its
    // first place, where typing fills the mask from the start.
    QLineEdit* line = qobject_cast<QLineEdit*>(control);
    if (auto* combo = qobject_cast<QComboBox*>(control)) line = combo->lineEdit();
    if (!line) return;
    if (line->property("dateBox").toBool()) {
        line->deselect();
        line->setCursorPosition(0);
    } else {
        line->selectAll();
    }
}

RecordEntry RecordEditor::entry() const {
    RecordEntry e;
    for (const TextControl& c : controls_)
        e[c.entryRow->slot] = text(c);
    e[Slot::CheckOut] = checkOut_->isChecked() ? QStringLiteral("Yes") : QStringLiteral("No");
    e[Slot::Viewed] = viewed_->isChecked() ? QStringLiteral("Yes") : QStringLiteral("No");
    return e;
}

bool RecordEditor::updateRecord() {
    if (session_.browseMode()) return false;
    RecordWriter writer(session_.table(), &session_.lists(), session_.valueFormats(),
                        session_.database().fieldNames);
    const WriteOutcome out = writer.write(entry(), mode_ != EditorMode::Edit);
    if (!out.ok) {
        // A refused value: its page comes to the front and its box takes the focus.
        if (out.slot != 0) {
            const editorcontrols::Control& entryRow = editorcontrols::control(out.slot);
            QWidget* box = entryRow.kind == Kind::Check ? (out.slot == Slot::Viewed ? viewed_ : checkOut_)
                                                        : controlOf(out.slot).widget;
            return failValidation(out.message, entryRow.page, box);
        }
        Prompts::instance().error(this, out.message);
        return false;
    }
    mode_ = EditorMode::Edit;
    editorsupport::recordsChanged(session_);
    return true;
}

void RecordEditor::updateAndStay() {
    if (updateRecord()) snapshotValues();
}

void RecordEditor::updateAndClose() {
    if (updateRecord()) done(QDialog::Accepted);
}

void RecordEditor::closeAskingFirst() {
    if (!session_.browseMode() && valuesChanged()) {
        Prompts& p = Prompts::instance();
        p.beep();
        if (p.message(this, QStringLiteral("Warning"),
                      QStringLiteral("Data has changed.  Do you want to exit without updating?"),
                      Prompts::Yes | Prompts::No, Prompts::No, Prompts::Icon::Question) != Prompts::Yes)
            return;
    }
    done(QDialog::Rejected);
}

void RecordEditor::reject() {
    closeAskingFirst();
}

void RecordEditor::done(int result) {
    // The data lists are written each time the editor closes.
    QString error;
    if (!editorsupport::saveAll(session_, &error)) Prompts::instance().error(this, error);
    DialogBase::done(result);
}

// ---------------------------------------------------------------------------------------------
// Moving, new and copied records

bool RecordEditor::askBeforeLeaving(const QString& question) {
    Prompts& p = Prompts::instance();
    p.beep();
    switch (p.message(this, QStringLiteral("Warning"), question, Prompts::Yes | Prompts::No | Prompts::Cancel,
                      Prompts::No, Prompts::Icon::Question)) {
    case Prompts::Yes:
        return updateRecord();
    case Prompts::No:
        return true;
    default:
        return false;
    }
}

void RecordEditor::moveRecord(bool next) {
    if (!session_.browseMode()) {
        const EditorMode mode = mode_;
        const QString where = next ? QStringLiteral("next") : QStringLiteral("previous");
        if (mode == EditorMode::Add || mode == EditorMode::Copy) {
            if (!askBeforeLeaving(QStringLiteral("This record has not been updated yet.  Update this record "
                                                 "before moving to the %1 record?")
                                      .arg(where)))
                return;
        } else if (valuesChanged()) {
            if (!askBeforeLeaving(
                    QStringLiteral("Data has changed.  Update this record before moving to the %1 record?")
                        .arg(where)))
                return;
        }
    }
    dbase::Table& table = session_.table();
    if (!table.isOpen() || table.recNo() == 0) return; // no record to move to
    try {
        if (next)
            table.next();
        else
            table.prior();
    } catch (const dbase::DbError& e) {
        Prompts::instance().error(this, QString::fromStdString(e.what()));
        return;
    }
    loadRecord();
    snapshotValues();
    mode_ = EditorMode::Edit;
}

void RecordEditor::previousRecord() {
    moveRecord(false);
}
void RecordEditor::nextRecord() {
    moveRecord(true);
}

void RecordEditor::newRecord() {
    if (session_.browseMode()) return;
    if (valuesChanged() &&
        !askBeforeLeaving(QStringLiteral("Data has changed.  Update this record before creating new one?")))
        return;
    clearControls();
    mode_ = EditorMode::Add;
    snapshotValues();
    setWindowTitle(QStringLiteral("Edit (New Record)"));
    focusControl(controlOf(Slot::Title).widget, Particulars);
}

void RecordEditor::copyRecord() {
    if (!session_.browseMode() && valuesChanged() &&
        !askBeforeLeaving(QStringLiteral(
            "Data has changed.  Update this record before creating new one with the current data?")))
        return;
    mode_ = EditorMode::Add;
    snapshotValues();
    setWindowTitle(QStringLiteral("Edit (New Copied Record)"));
}

// ---------------------------------------------------------------------------------------------
// Printing

QStringList RecordEditor::printLines() const {
    QStringList lines;
    for (int slot : kPrintOrder)
        lines << RecordPrint::line(session_.displayName(slot), textOf(slot));
    lines << RecordPrint::line(session_.displayName(Slot::CheckOut),
                               checkOut_->isChecked() ? QStringLiteral("Yes") : QStringLiteral("No"));
    lines << RecordPrint::line(session_.displayName(Slot::Viewed),
                               viewed_->isChecked() ? QStringLiteral("Yes") : QStringLiteral("No"));
    return lines;
}

void RecordEditor::printRecord() {
    Prompts& p = Prompts::instance();
    // Another print of this program still runs (a report sends its pages while its window
    // stays responsive): this one waits for it to end.
    if (PrintJob::active()) {
        p.error(this, QString::fromLatin1(PrintJob::busyMessage()));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Quillon Videos 97"));
    printer.setCreator(QStringLiteral("Quillon Videos 97"));
    if (!p.print(this, &printer)) return;
    // Without an installed printer only a file can be printed to, as with the reports.
    if (printer.outputFileName().isEmpty() && Printers::instance().names().isEmpty()) {
        p.error(this, QString::fromLatin1(Printers::noPrinterMessage()));
        return;
    }
    // The copies are printed here, one page each, so the printer must not repeat them.
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);
    const PrintJob job;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The pages are laid out for the paper and resolution of the chosen printer.
    const QPageLayout layout = printer.pageLayout();
    render::Renderer renderer(QSizeF(layout.pageSize().sizePoints()), std::max(72, printer.resolution()));
    renderer.setLandscape(layout.orientation() == QPageLayout::Landscape);
    render::PageStore pages;
    RecordPrint(printLines()).layOut(renderer, pages, copies);
    QString error;
    const bool ok = render::printPages(pages, printer, 0, pages.pageCount() - 1, 1, &error);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        const QString where =
            printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        p.error(this, QStringLiteral("The record could not be printed on %1.").arg(where));
    }
}

// ---------------------------------------------------------------------------------------------
// Keys, focus, clipboard, awards, help

void RecordEditor::enterWalk(QWidget* from) {
    for (size_t i = 0; i < walk_.size(); ++i) {
        QWidget* w = walk_[i].first;
        if (w != from && !w->isAncestorOf(from)) continue;
        const auto& [to, page] = walk_[(i + 1) % walk_.size()];
        focusControl(to, page);
        return;
    }
}

bool RecordEditor::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return DialogBase::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter never reaches a control; on a box of the walk it moves to the next one.
            if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->view()->isVisible())
                return false; // choosing from an open drop-down list
            enterWalk(widget);
            return true;
        }
        if (widget->property("readOnly").toBool()) {
            // A read-only combo box or check box does not change by keys either.
            if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down || key->key() == Qt::Key_Space ||
                key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown || key->key() == Qt::Key_F4)
                return true;
        }
        break;
    }
    case QEvent::ShortcutOverride: {
        // The editor's menu shortcuts win over the keys the boxes would take for themselves.
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (QAction* a : std::as_const(shortcutActions_)) {
            if (a->shortcut() == pressed && a->isEnabled()) {
                event->ignore();
                return true;
            }
        }
        break;
    }
    case QEvent::Wheel:
    case QEvent::MouseButtonPress:
        if (qobject_cast<QComboBox*>(widget) && widget->property("readOnly").toBool()) return true;
        break;
    case QEvent::FocusOut: {
        for (int slot : kCaptionBoxes)
            if (widget == editOf(slot)) setPageCaptions();
        if (widget == editOf(Slot::ListPrice) || widget == editOf(Slot::PurchasePrice))
            normalisePrice(static_cast<QLineEdit*>(widget));
        break;
    }
    default:
        break;
    }
    return DialogBase::eventFilter(watched, event);
}

void RecordEditor::clipboard(int action) {
    // The focused plain edit box or combo box; date boxes and other controls are left alone.
    QWidget* focus = focusWidget();
    if (!focus) return;
    QLineEdit* edit = nullptr;
    if (auto* combo = qobject_cast<QComboBox*>(focus); combo && combo->isEditable())
        edit = combo->lineEdit();
    else if (auto* line = qobject_cast<QLineEdit*>(focus); line && !line->property("dateBox").toBool())
        edit = line;
    if (!edit || edit->isReadOnly()) {
        if (edit && action == 1) edit->copy();
        return;
    }
    switch (action) {
    case 0:
        edit->cut();
        break;
    case 1:
        edit->copy();
        break;
    case 2:
        edit->paste();
        break;
    case 3:
        if (edit->hasSelectedText()) edit->del();
        break;
    default:
        break;
    }
}

void RecordEditor::selectAward(int mode) {
    if (session_.browseMode()) return;
    QLineEdit* box = editOf(mode == 1   ? Slot::OscarAward
                            : mode == 2 ? Slot::OscarNomination
                                        : Slot::Miscellaneous);
    AwardPickDialog pick(session_, mode, box->text(), this);
    if (pick.exec() == QDialog::Accepted) box->setText(pick.result());
}

void RecordEditor::showInputHelp() {
    editorsupport::showHelp(session_, this, QStringLiteral("Input Window"));
}
