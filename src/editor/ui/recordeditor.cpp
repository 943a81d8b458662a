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
#include "catalogue/session.h"
#include "dbase/error.h"
#include "editor/recordprint.h"
#include "editor/ui/awardpickdialog.h"
#include "editor/ui/editorsupport.h"
#include "widgets/prompts.h"

namespace {

// Every name of the control table, in one place.
constexpr const char* kTitle = "Title";
constexpr const char* kStars[6] = {"Star1", "Star2", "Star3", "Star4", "Star5", "Star6"};
constexpr const char* kYear = "YearReleased";
constexpr const char* kListPrice = "ListPrice";
constexpr const char* kPurchPrice = "PurchPrice";
constexpr const char* kPlayTime = "PlayTime";
constexpr const char* kCheckDate = "CheckDate";
constexpr const char* kCheckName = "CheckName";
constexpr const char* kPurchDate = "PurchDate";

// Boxes whose leaving refreshes the title lines.
const char* const kCaptionBoxes[] = {"Title",      "YearReleased", "Writer", "KeyWords", "Description",
                                     "OscarAward", "OscarNom",     "Misc",   "UserDef1", "UserDef2"};

// Order of the lists' automatic additions on update (after the stars, which come third).
const char* const kListOrderBeforeStars[] = {"Producer", "Director"};
const char* const kListOrderAfterStars[] = {"ReleasedBy",  "Rating",  "Category",    "Picture",
                                            "Sound",       "Format",  "LaserFormat", "PersRating",
                                            "RecordSpeed", "Content", "CheckName",   "WherePurch"};

// Field write order of an update (slots written as text).
const int kWriteOrder[] = {
    Slot::Title,          Slot::Star1,       Slot::Star2,           Slot::Star3,       Slot::Star4,
    Slot::Star5,          Slot::Star6,       Slot::Producer,        Slot::Director,    Slot::ReleasedBy,
    Slot::Year,           Slot::RunTime,     Slot::Rating,          Slot::Category,    Slot::Picture,
    Slot::Sound,          Slot::Format,      Slot::PersonalRating,  Slot::MediaNumber, Slot::RecordingSpeed,
    Slot::CounterStart,   Slot::CounterStop, Slot::Description,     Slot::Content,     Slot::Miscellaneous,
    Slot::KeyWords,       Slot::LaserFormat, Slot::OscarNomination, Slot::OscarAward,  Slot::CheckName,
    Slot::WherePurchased, Slot::Writers,     Slot::UserDefined1,    Slot::UserDefined2};

// Print order of the controls (lines 0 to 37).
const char* const kPrintOrder[] = {
    "Title",       "Star1",       "Star2",      "Star3",        "Star4",       "Star5",       "Star6",
    "Producer",    "Director",    "ReleasedBy", "YearReleased", "PlayTime",    "Rating",      "Category",
    "Picture",     "Sound",       "Format",     "PersRating",   "MediaNumber", "RecordSpeed", "CounterStart",
    "CounterStop", "Description", "Content",    "Misc",         "KeyWords",    "LaserFormat", "ListPrice",
    "OscarNom",    "OscarAward",  "CheckDate",  "CheckName",    "PurchPrice",  "PurchDate",   "WherePurch",
    "Writer",      "UserDef1",    "UserDef2"};

// The Enter walk; nullptr entries are the two check boxes, named separately.
const char* const kWalk[] = {
    "Title",        "Star1",       "Star2",       "Star3",        "Star4",       "Star5",     "Star6",
    "YearReleased", "Producer",    "Director",    "Writer",       "ReleasedBy",  "Category",  "Rating",
    "PersRating",   "KeyWords",    "Description", "Format",       "LaserFormat", "Content",   "Picture",
    "Sound",        "RecordSpeed", "MediaNumber", "CounterStart", "CounterStop", "PlayTime",  "@Viewed",
    "@CheckOut",    "CheckDate",   "CheckName",   "ListPrice",    "PurchPrice",  "PurchDate", "WherePurch",
    "OscarAward",   "OscarNom",    "Misc",        "UserDef1",     "UserDef2"};

bool readWhole(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return true;
    bool ok = false;
    t.toLongLong(&ok);
    return ok;
}

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

    auto addControl = [this](const char* name, int slot, int page, int list, Kind kind, QWidget* parent) {
        TextControl c{name, slot, page, list, kind};
        if (kind == Kind::Combo) {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setCompleter(nullptr);
            combo->setMaxVisibleItems(12);
            combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            c.widget = combo;
            c.edit = combo->lineEdit();
        } else {
            auto* edit = new QLineEdit(parent);
            c.widget = edit;
            c.edit = edit;
        }
        c.widget->setObjectName(QString::fromLatin1(name));
        c.edit->setMaxLength(fieldSlot(slot).width);
        const int width = fieldSlot(slot).width;
        const int chars = std::min(width, 34);
        c.widget->setMinimumWidth(charsWidth(c.widget, std::max(chars, kind == Kind::Combo ? 14 : 5)));
        // Short boxes (year, play time, counters, dates) are no wider than their text needs.
        if (kind != Kind::Combo && width <= 12)
            c.widget->setMaximumWidth(charsWidth(c.widget, std::max(width, 5) + 4));
        controls_.push_back(c);
        return c.widget;
    };
    auto label = [this](int slot, QWidget* parent, QWidget* buddy) {
        auto* l = new QLabel(parent);
        l->setProperty("slot", slot);
        l->setObjectName(QString::fromLatin1(fieldSlot(slot).name) + QStringLiteral("Label"));
        if (buddy) l->setBuddy(buddy);
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
    // A date box with its "Blan&k Date" button on one row of a page's grid.
    auto dateRow = [&](QGridLayout* g, int& r, const char* name, int slot, int page, const char* buttonName,
                       QWidget* parent) {
        QWidget* date = addControl(name, slot, page, 0, Kind::Date, parent);
        date->setMinimumWidth(charsWidth(date, 11));
        date->setMaximumWidth(charsWidth(date, 13));
        auto* blank = new QPushButton(QStringLiteral("Blan&k Date"), parent);
        blank->setObjectName(QString::fromLatin1(buttonName));
        blank->setAutoDefault(false);
        connect(blank, &QPushButton::clicked, this, [this, name] { editOf(name)->clear(); });
        auto* row = new QHBoxLayout;
        row->setSpacing(6);
        row->addWidget(date);
        row->addWidget(blank);
        row->addStretch(1);
        g->addWidget(label(slot, parent, date), r, 0);
        g->addLayout(row, r++, 1);
        return blank;
    };

    // Page 0: Particulars.
    {
        auto* page = new QWidget;
        auto* g = new QGridLayout(page);
        g->setHorizontalSpacing(8);
        g->setVerticalSpacing(6);
        int r = 0;
        QWidget* w = addControl("Title", Slot::Title, 0, 0, Kind::Edit, page);
        g->addWidget(label(Slot::Title, page, w), r, 0);
        g->addWidget(w, r++, 1, 1, 2);
        QWidget* stars[6];
        for (int i = 0; i < 6; ++i)
            stars[i] = addControl(kStars[i], Slot::Star1 + i, 0, 2, Kind::Combo, page);
        auto* starsLabel = label(Slot::Star1, page, stars[0]);
        starsLabel->setObjectName(QStringLiteral("StarsLabel"));
        g->addWidget(starsLabel, r, 0);
        for (int i = 0; i < 6; ++i)
            g->addWidget(stars[i], r + i / 2, 1 + i % 2);
        r += 3;
        w = addControl(kYear, Slot::Year, 0, 0, Kind::Edit, page);
        g->addWidget(label(Slot::Year, page, w), r, 0);
        g->addWidget(w, r++, 1, Qt::AlignLeft);
        w = addControl("Producer", Slot::Producer, 0, 1, Kind::Combo, page);
        g->addWidget(label(Slot::Producer, page, w), r, 0);
        g->addWidget(w, r++, 1);
        w = addControl("Director", Slot::Director, 0, 3, Kind::Combo, page);
        g->addWidget(label(Slot::Director, page, w), r, 0);
        g->addWidget(w, r++, 1);
        w = addControl("Writer", Slot::Writers, 0, 0, Kind::Edit, page);
        g->addWidget(label(Slot::Writers, page, w), r, 0);
        g->addWidget(w, r++, 1, 1, 2);
        w = addControl("ReleasedBy", Slot::ReleasedBy, 0, 4, Kind::Combo, page);
        g->addWidget(label(Slot::ReleasedBy, page, w), r, 0);
        g->addWidget(w, r++, 1);
        g->setRowStretch(r, 1);
        g->setColumnStretch(1, 1);
        g->setColumnStretch(2, 1);
        notebook_->addTab(page, QStringLiteral("Par&ticulars"));
    }
    // Page 1: Attributes.
    {
        auto* page = new QWidget;
        auto* v = new QVBoxLayout(page);
        auto* g = new QGridLayout;
        g->setHorizontalSpacing(8);
        g->setVerticalSpacing(6);
        v->addLayout(g);
        int r = 0;
        auto pair = [&](const char* name, int slot, int list, int col) {
            QWidget* w = addControl(name, slot, 1, list, Kind::Combo, page);
            g->addWidget(label(slot, page, w), r, col * 2);
            g->addWidget(w, r, col * 2 + 1);
        };
        pair("Category", Slot::Category, 6, 0);
        pair("Rating", Slot::Rating, 5, 1);
        ++r;
        pair("PersRating", Slot::PersonalRating, 11, 0);
        ++r;
        QWidget* w = addControl("KeyWords", Slot::KeyWords, 1, 0, Kind::Edit, page);
        g->addWidget(label(Slot::KeyWords, page, w), r, 0);
        g->addWidget(w, r++, 1, 1, 3);
        w = addControl("Description", Slot::Description, 1, 0, Kind::Edit, page);
        g->addWidget(label(Slot::Description, page, w), r, 0);
        g->addWidget(w, r++, 1, 1, 3);
        pair("Format", Slot::Format, 9, 0);
        pair("Picture", Slot::Picture, 7, 1);
        ++r;
        pair("LaserFormat", Slot::LaserFormat, 10, 0);
        pair("Sound", Slot::Sound, 8, 1);
        ++r;
        pair("Content", Slot::Content, 13, 0);
        pair("RecordSpeed", Slot::RecordingSpeed, 12, 1);
        ++r;
        g->setColumnStretch(1, 1);
        g->setColumnStretch(3, 1);
        v->addStretch(1);
        warrantyItem_ = titleLine(page, "WarrantyItem");
        v->addWidget(warrantyItem_);
        notebook_->addTab(page, QStringLiteral("&Attributes"));
    }
    // Page 2: Library.
    {
        auto* page = new QWidget;
        auto* v = new QVBoxLayout(page);
        auto* g = new QGridLayout;
        g->setHorizontalSpacing(8);
        g->setVerticalSpacing(6);
        v->addLayout(g);
        int r = 0;
        auto edit = [&](const char* name, int slot) {
            QWidget* w = addControl(name, slot, 2, 0, Kind::Edit, page);
            g->addWidget(label(slot, page, w), r, 0);
            g->addWidget(w, r++, 1, Qt::AlignLeft);
        };
        edit("MediaNumber", Slot::MediaNumber);
        edit("CounterStart", Slot::CounterStart);
        edit("CounterStop", Slot::CounterStop);
        edit(kPlayTime, Slot::RunTime);
        viewed_ = new QCheckBox(page);
        viewed_->setObjectName(QStringLiteral("Viewed"));
        viewed_->setProperty("slot", int(Slot::Viewed));
        g->addWidget(viewed_, r++, 1, Qt::AlignLeft);
        checkOut_ = new QCheckBox(page);
        checkOut_->setObjectName(QStringLiteral("CheckOut"));
        checkOut_->setProperty("slot", int(Slot::CheckOut));
        g->addWidget(checkOut_, r++, 1, Qt::AlignLeft);
        connect(checkOut_, &QCheckBox::clicked, this, &RecordEditor::checkOutClicked);
        blankCheckOut_ = dateRow(g, r, kCheckDate, Slot::CheckDate, 2, "BlankCheckOut", page);
        QWidget* name = addControl(kCheckName, Slot::CheckName, 2, 15, Kind::Combo, page);
        g->addWidget(label(Slot::CheckName, page, name), r, 0);
        g->addWidget(name, r++, 1, Qt::AlignLeft);
        g->setColumnStretch(1, 1);
        v->addStretch(1);
        libraryItem_ = titleLine(page, "LibraryItem");
        v->addWidget(libraryItem_);
        notebook_->addTab(page, QStringLiteral("Li&brary"));
    }
    // Page 3: Other.
    {
        auto* page = new QWidget;
        auto* v = new QVBoxLayout(page);
        auto* g = new QGridLayout;
        g->setHorizontalSpacing(8);
        g->setVerticalSpacing(6);
        v->addLayout(g);
        int r = 0;
        QWidget* w = addControl(kListPrice, Slot::ListPrice, 3, 0, Kind::Edit, page);
        g->addWidget(label(Slot::ListPrice, page, w), r, 0);
        g->addWidget(w, r++, 1, Qt::AlignLeft);
        w = addControl(kPurchPrice, Slot::PurchasePrice, 3, 0, Kind::Edit, page);
        g->addWidget(label(Slot::PurchasePrice, page, w), r, 0);
        g->addWidget(w, r++, 1, Qt::AlignLeft);
        for (const char* p : {kListPrice, kPurchPrice}) {
            editOf(p)->setAlignment(Qt::AlignRight);
            editOf(p)->setMinimumWidth(charsWidth(editOf(p), 14));
            editOf(p)->setMaximumWidth(charsWidth(editOf(p), 18));
        }
        blankPurchDate_ = dateRow(g, r, kPurchDate, Slot::PurchaseDate, 3, "BlankPurchDate", page);
        w = addControl("WherePurch", Slot::WherePurchased, 3, 16, Kind::Combo, page);
        g->addWidget(label(Slot::WherePurchased, page, w), r, 0);
        g->addWidget(w, r++, 1, Qt::AlignLeft);
        auto withSelect = [&](const char* name, int slot, const char* button, QPushButton*& out, int mode) {
            QWidget* box = addControl(name, slot, 3, 0, Kind::Edit, page);
            out = new QPushButton(QStringLiteral("Select"), page);
            out->setObjectName(QString::fromLatin1(button));
            out->setAutoDefault(false);
            connect(out, &QPushButton::clicked, this, [this, mode] { selectAward(mode); });
            auto* row = new QHBoxLayout;
            row->setSpacing(6);
            row->addWidget(box, 1);
            row->addWidget(out);
            g->addWidget(label(slot, page, box), r, 0);
            g->addLayout(row, r++, 1);
        };
        withSelect("OscarAward", Slot::OscarAward, "SelectOscarAward", selectOscarAward_, 1);
        withSelect("OscarNom", Slot::OscarNomination, "SelectOscarNom", selectOscarNom_, 2);
        withSelect("Misc", Slot::Miscellaneous, "SelectMisc", selectMisc_, 3);
        w = addControl("UserDef1", Slot::UserDefined1, 3, 0, Kind::Edit, page);
        g->addWidget(label(Slot::UserDefined1, page, w), r, 0);
        g->addWidget(w, r++, 1);
        w = addControl("UserDef2", Slot::UserDefined2, 3, 0, Kind::Edit, page);
        g->addWidget(label(Slot::UserDefined2, page, w), r, 0);
        g->addWidget(w, r++, 1);
        g->setColumnStretch(1, 1);
        v->addStretch(1);
        worthItem_ = titleLine(page, "WorthItem");
        v->addWidget(worthItem_);
        notebook_->addTab(page, QStringLiteral("&Other"));
    }

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

    for (const char* name : {kCheckDate, kPurchDate})
        editOf(name)->setProperty("dateBox", true);
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
    for (const char* name : kWalk) {
        if (name[0] == '@') {
            QCheckBox* box = QLatin1String(name + 1) == QLatin1String("Viewed") ? viewed_ : checkOut_;
            walk_.emplace_back(box, int(Library));
            continue;
        }
        const TextControl& c = controls_[size_t(indexOf(name))];
        walk_.emplace_back(c.widget, c.page);
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

int RecordEditor::indexOf(const char* name) const {
    for (size_t i = 0; i < controls_.size(); ++i)
        if (qstrcmp(controls_[i].name, name) == 0) return int(i);
    Q_ASSERT_X(false, "RecordEditor::indexOf", name);
    return 0;
}

QLineEdit* RecordEditor::editOf(const char* name) const {
    return controls_[size_t(indexOf(name))].edit;
}

QString RecordEditor::text(int index) const {
    const TextControl& c = controls_[size_t(index)];
    if (c.kind == Kind::Date && DateFormat::isBlankDateText(c.edit->text())) return QString();
    return c.edit->text();
}

void RecordEditor::setText(int index, const QString& value) {
    const TextControl& c = controls_[size_t(index)];
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
    for (const char* name : {kCheckDate, kPurchDate}) {
        QLineEdit* e = editOf(name);
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
        if (c.list == 0 || (number != 0 && c.list != number)) continue;
        auto* combo = qobject_cast<QComboBox*>(c.widget);
        const QStringList values = editorsupport::values(session_, c.list);
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
    const EditorMode mode = session_.editorMode();
    if ((mode == EditorMode::Edit || mode == EditorMode::Copy) && session_.table().isOpen() &&
        session_.table().recNo() != 0)
        loadRecord();
    else
        clearControls();
    snapshotValues();
    controls_[size_t(indexOf(kTitle))].widget->setFocus();
}

void RecordEditor::applyColours() {
    // The colours of the edit window group are applied by the dialog base each time it is shown.
}

void RecordEditor::loadRecord() {
    dbase::Table& table = session_.table();
    const DateFormat& dates = session_.dateFormat();
    auto field = [&table](int slot) { return table.fieldIndex(fieldSlot(slot).name); };
    resetPriceLengths();
    for (size_t i = 0; i < controls_.size(); ++i) {
        const TextControl& c = controls_[i];
        const int f = field(c.slot);
        QString value;
        if (f >= 0) {
            if (c.kind == Kind::Date)
                value = dates.formatFull(QString::fromStdString(table.getDate(f)));
            else
                value = QString::fromStdString(table.getText(f));
        }
        setText(int(i), value);
    }
    loading_ = true;
    const int checkOutField = field(Slot::CheckOut);
    checkOut_->setChecked(checkOutField >= 0 &&
                          QString::fromStdString(table.getText(checkOutField)) == QLatin1String("Yes"));
    loading_ = false;
    const int viewedField = field(Slot::Viewed);
    viewed_->setChecked(viewedField >= 0 &&
                        QString::fromStdString(table.getText(viewedField)) == QLatin1String("Yes"));
    rememberedCheckDate_ = editOf(kCheckDate)->text().left(10);
    rememberedCheckName_ = textOf(kCheckName).left(30);
    for (auto [name, slot] :
         {std::pair{kListPrice, int(Slot::ListPrice)}, std::pair{kPurchPrice, int(Slot::PurchasePrice)}}) {
        const int f = field(slot);
        if (f < 0 || textOf(name).isEmpty()) continue;
        const std::optional<double> v = table.getNumber(f);
        setMoneyText(editOf(name), v.value_or(0.0));
    }
    setPageCaptions();
}

void RecordEditor::resetPriceLengths() {
    editOf(kListPrice)->setMaxLength(fieldSlot(Slot::ListPrice).width);
    editOf(kPurchPrice)->setMaxLength(fieldSlot(Slot::PurchasePrice).width);
}

void RecordEditor::clearControls() {
    resetPriceLengths();
    for (size_t i = 0; i < controls_.size(); ++i) {
        const TextControl& c = controls_[i];
        if (c.kind == Kind::Date)
            c.edit->clear();
        else
            setText(int(i), QString());
    }
    editOf(kPlayTime)->setText(QStringLiteral("0"));
    editOf(kListPrice)->setText(QStringLiteral("0"));
    editOf(kPurchPrice)->setText(QStringLiteral("0"));
    loading_ = true;
    checkOut_->setChecked(false);
    loading_ = false;
    viewed_->setChecked(false);
    setPageCaptions();
}

void RecordEditor::snapshotValues() {
    snapshot_.clear();
    for (size_t i = 0; i < controls_.size(); ++i)
        snapshot_ << text(int(i)).left(fieldSlot(controls_[i].slot).width);
    snapshotViewed_ = viewed_->isChecked();
    snapshotCheckOut_ = checkOut_->isChecked();
    setWindowTitle(QStringLiteral("Edit"));
}

bool RecordEditor::valuesChanged() const {
    if (snapshot_.size() != int(controls_.size())) return true;
    for (size_t i = 0; i < controls_.size(); ++i) {
        const QString now = text(int(i));
        if (controls_[i].kind == Kind::Date) {
            if (now.trimmed() != snapshot_[int(i)].trimmed()) return true;
        } else if (now != snapshot_[int(i)]) {
            return true;
        }
    }
    return viewed_->isChecked() != snapshotViewed_ || checkOut_->isChecked() != snapshotCheckOut_;
}

void RecordEditor::setPageCaptions() {
    const QString line = session_.displayName(Slot::Title) + QStringLiteral(": ") + textOf(kTitle);
    for (QLabel* l : {warrantyItem_, libraryItem_, worthItem_})
        l->setText(line);
}

void RecordEditor::checkOutClicked(bool checked) {
    if (loading_) return;
    if (checked) {
        editOf(kCheckDate)->setText(rememberedCheckDate_);
        setTextOf(kCheckName, rememberedCheckName_);
    } else {
        rememberedCheckDate_ = editOf(kCheckDate)->text().left(10);
        rememberedCheckName_ = textOf(kCheckName).left(30);
        editOf(kCheckDate)->clear();
        setTextOf(kCheckName, QString());
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
}

bool RecordEditor::updateRecord() {
    if (session_.browseMode()) return false;
    const DateFormat& dates = session_.dateFormat();
    bool ok = false;
    const QString checkDate = dates.parseFull(editOf(kCheckDate)->text(), &ok);
    if (!ok)
        return failValidation(QStringLiteral("Invalid check out date specified.  Please correct."), Library,
                              editOf(kCheckDate));
    const QString purchDate = dates.parseFull(editOf(kPurchDate)->text(), &ok);
    if (!ok)
        return failValidation(QStringLiteral("Invalid purchase date specified.  Please correct."), Other,
                              editOf(kPurchDate));
    std::optional<double> listPrice = 0.0, purchPrice = 0.0;
    if (!textOf(kListPrice).trimmed().isEmpty())
        listPrice = editorsupport::readMoney(session_, textOf(kListPrice));
    if (!listPrice)
        return failValidation(QStringLiteral("Invalid list price specified.  Please correct."), Other,
                              editOf(kListPrice));
    if (!textOf(kPurchPrice).trimmed().isEmpty())
        purchPrice = editorsupport::readMoney(session_, textOf(kPurchPrice));
    if (!purchPrice)
        return failValidation(QStringLiteral("Invalid purchase price specified.  Please correct."), Other,
                              editOf(kPurchPrice));
    if (!readWhole(textOf(kPlayTime)))
        return failValidation(QStringLiteral("Invalid play time specified.  Please correct."), Library,
                              editOf(kPlayTime));
    if (!readWhole(textOf(kYear)))
        return failValidation(QStringLiteral("Invalid year specified.  Please correct."), Particulars,
                              editOf(kYear));

    // New values join their data lists.
    for (const char* name : kListOrderBeforeStars)
        editorsupport::addToList(session_, controls_[size_t(indexOf(name))].list, textOf(name));
    for (const char* star : kStars)
        editorsupport::addToStarList(session_, textOf(star));
    for (const char* name : kListOrderAfterStars)
        editorsupport::addToList(session_, controls_[size_t(indexOf(name))].list, textOf(name));

    dbase::Table& table = session_.table();
    auto field = [&table](int slot) { return table.fieldIndexOrThrow(fieldSlot(slot).name); };
    const bool append = session_.editorMode() != EditorMode::Edit;
    try {
        if (append)
            table.append();
        else
            table.edit();
        for (int slot : kWriteOrder) {
            for (const TextControl& c : controls_) {
                if (c.slot != slot) continue;
                table.setText(field(slot), text(int(&c - controls_.data())).toStdString());
                break;
            }
        }
        table.setNumber(field(Slot::ListPrice), *listPrice);
        table.setNumber(field(Slot::PurchasePrice), *purchPrice);
        table.setDate(field(Slot::CheckDate), checkDate.toStdString());
        table.setDate(field(Slot::PurchaseDate), purchDate.toStdString());
        table.setText(field(Slot::CheckOut), checkOut_->isChecked() ? "Yes" : "No");
        table.setText(field(Slot::Viewed), viewed_->isChecked() ? "Yes" : "No");
        table.post();
    } catch (const dbase::DbError& e) {
        if (table.isEditing()) table.cancel();
        Prompts::instance().error(this, QString::fromStdString(e.what()));
        return false;
    }
    session_.setEditorMode(EditorMode::Edit);
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
        const EditorMode mode = session_.editorMode();
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
    session_.setEditorMode(EditorMode::Edit);
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
    session_.setEditorMode(EditorMode::Add);
    snapshotValues();
    setWindowTitle(QStringLiteral("Edit (New Record)"));
    focusControl(controls_[size_t(indexOf(kTitle))].widget, Particulars);
}

void RecordEditor::copyRecord() {
    if (!session_.browseMode() && valuesChanged() &&
        !askBeforeLeaving(QStringLiteral(
            "Data has changed.  Update this record before creating new one with the current data?")))
        return;
    session_.setEditorMode(EditorMode::Add);
    snapshotValues();
    setWindowTitle(QStringLiteral("Edit (New Copied Record)"));
}

// ---------------------------------------------------------------------------------------------
// Printing

QStringList RecordEditor::printLines() const {
    QStringList lines;
    for (const char* name : kPrintOrder) {
        const TextControl& c = controls_[size_t(indexOf(name))];
        lines << RecordPrint::line(session_.displayName(c.slot), text(indexOf(name)));
    }
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
    // The copies are printed here, one page each, so the printer must not repeat them.
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);
    const RecordPrint record(printLines());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = record.print(printer, copies);
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
        for (const char* name : kCaptionBoxes)
            if (widget == editOf(name)) setPageCaptions();
        if (widget == editOf(kListPrice) || widget == editOf(kPurchPrice))
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
    const char* target = mode == 1 ? "OscarAward" : mode == 2 ? "OscarNom" : "Misc";
    QLineEdit* box = editOf(target);
    AwardPickDialog pick(session_, mode, box->text(), this);
    if (pick.exec() == QDialog::Accepted) box->setText(pick.result());
}

void RecordEditor::showInputHelp() {
    editorsupport::showHelp(session_, this, QStringLiteral("Input Window"));
}
