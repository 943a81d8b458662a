#pragma once
// The record editor: the one window in which a video record is typed in, changed or copied.
// Created once at start and reused for every Add, Edit and Copy; the main window sets the
// Session's editor mode and shows it modally over the current record of the main table.
#include <QString>
#include <QStringList>
#include <vector>

#include "editor/ui/editorcontrols.h"
#include "widgets/dialogbase.h"

struct RecordEntry;
class Session;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QTabWidget;

// What the editor does with its record: adds a new one, edits the current one, or adds a copy
// of the current one.
enum class EditorMode { Add = 1, Edit = 2, Copy = 3 };

class RecordEditor : public DialogBase {
    Q_OBJECT
public:
    RecordEditor(Session& session, QWidget* parent = nullptr);
    ~RecordEditor() override;

    // The mode the editor opens in; after a successful update it is Edit (the record written
    // is the current one), after New Record it is Add.
    EditorMode mode() const { return mode_; }
    void setMode(EditorMode mode) { mode_ = mode; }

    // The record pages of MyTabbedNoteBook.
    enum Page { Particulars = 0, Attributes = 1, Library = 2, Other = 3 };

    void loadRecord();          // the current record of the main table into the controls
    void snapshotValues();      // the value snapshot; the caption becomes "Edit"
    bool valuesChanged() const; // any control differs from the snapshot
    bool updateRecord();        // validate, add new list values, write the record
    void updateAndStay();       // updateRecord, then snapshotValues on success
    void updateAndClose();      // updateRecord, then close on success
    void closeAskingFirst();    // close, asking first when data changed
    void clearControls();       // every control empty ("0" in the prices and the play time)
    void previousRecord();
    void nextRecord();
    void newRecord();       // "N&ew Record"
    void copyRecord();      // "Cop&y Record"
    void printRecord();     // "Prin&t Record"
    void setPageCaptions(); // the title lines of pages 1 to 3
    void applyColours();    // the edit window colours
    void showInputHelp();   // the help at "Input Window"

    // The lines of the printed record: display name, ": " and the text on screen.
    QStringList printLines() const;

    // The combo boxes take the session's data lists (kept in step by the lists' change signal).
    // number: only the boxes of that list; 0 all.
    void loadLists(int number = 0);

protected:
    void showEvent(QShowEvent* event) override; // loads the record on each showing
    void done(int result) override;             // saves all data lists
    void reject() override;                     // Escape and the window's close box: closeAskingFirst
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    EditorMode mode_ = EditorMode::Edit;

    // A text control of a field: its row of the control table and its widgets.
    struct TextControl {
        const editorcontrols::Control* entryRow;
        QWidget* widget = nullptr; // the line edit or the combo box
        QLineEdit* edit = nullptr; // the line edit itself (a combo box's own one)
    };

    void buildControls();
    void buildMenu(QMenuBar* bar);
    void buildWalk();
    void applyBrowseMode();
    void setLabels();
    void setDateMasks();
    QString text(const TextControl& control) const; // "" for a blank date box
    void setText(const TextControl& control, const QString& value);
    const TextControl& controlOf(int slot) const;
    QLineEdit* editOf(int slot) const;
    QString textOf(int slot) const { return text(controlOf(slot)); }
    void setTextOf(int slot, const QString& value) { setText(controlOf(slot), value); }
    RecordEntry entry() const; // the typed values of every field
    void fillOnShow();
    void checkOutClicked(bool checked);
    void normalisePrice(QLineEdit* box);
    void setMoneyText(QLineEdit* box, double value);
    void resetPriceLengths();
    bool askBeforeLeaving(const QString& question); // true: go on
    void moveRecord(bool next);
    void focusControl(QWidget* control, int page);
    bool failValidation(const QString& message, int page, QWidget* control);
    void enterWalk(QWidget* from);
    void clipboard(int action);
    void selectAward(int mode);

    Session& session_;
    std::vector<TextControl> controls_;
    std::vector<QLabel*> fieldLabels_; // labels with the slot they name (property "slot")
    QTabWidget* notebook_ = nullptr;
    QCheckBox* viewed_ = nullptr;
    QCheckBox* checkOut_ = nullptr;
    QLabel* warrantyItem_ = nullptr;
    QLabel* libraryItem_ = nullptr;
    QLabel* worthItem_ = nullptr;
    QPushButton* updateExitButton_ = nullptr;
    QPushButton* updateButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* prevButton_ = nullptr;
    QPushButton* nextButton_ = nullptr;
    QPushButton* blankCheckOut_ = nullptr;
    QPushButton* blankPurchDate_ = nullptr;
    QPushButton* selectOscarAward_ = nullptr;
    QPushButton* selectOscarNom_ = nullptr;
    QPushButton* selectMisc_ = nullptr;
    QList<QAction*> browseDisabled_;
    QList<QAction*> shortcutActions_;
    std::vector<std::pair<QWidget*, int>> walk_; // Enter walk: control and the page it is on

    QStringList snapshot_;
    bool snapshotViewed_ = false;
    bool snapshotCheckOut_ = false;
    QString rememberedCheckDate_;
    QString rememberedCheckName_;
    bool loading_ = false;
};
