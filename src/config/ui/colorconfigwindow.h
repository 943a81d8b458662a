#pragma once
// The colour configuration window ("Color Configuration"): edits a working copy of one colour set,
// colour by colour or by a predefined combination, and shows every element on a sample control
// of its kind. Ok takes the working copy into its target (one window group, or all five);
// Cancel changes no set. Every dialog takes its group's set the next time it is shown; the main
// window's opener applies the main set at once when it changed.
#include <QString>
#include <map>

#include "config/colorconfig.h"
#include "widgets/dialogbase.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class ColourConfigWindow : public DialogBase {
    Q_OBJECT
public:
    ColourConfigWindow(Session& session, config::ColorTarget target, QWidget* parent = nullptr);

    config::ColorTarget target() const { return target_; }
    const ColorSet& workingCopy() const { return working_; }

    // A colour button by its object name ("MainBack", "EditBoxText" ...) and the element it sets.
    QPushButton* colorButton(const QString& objectName) const;
    static int elementOf(const QString& buttonName); // -1 for an unknown name
    QComboBox* colorSets() const { return colorSets_; }
    QRadioButton* radioSample() const { return radio_; }
    QCheckBox* checkSample() const { return check_; }
    QLineEdit* editSample() const { return edit_; }
    QComboBox* comboSample() const { return combo_; }
    QListWidget* listSample() const { return list_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // The colour dialog of one element, opened on its colour; OK takes the chosen colour.
    void chooseColor(int element);
    // A predefined combination: entry 1..12 of the list; 0, the empty entry, changes nothing.
    void chooseCombination(int entry);
    // Ok: the working copy into the target set.
    void okClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void paintPreview();

    Session& session_;
    config::ColorTarget target_;
    ColorSet working_;
    std::map<QString, QPushButton*> buttons_;
    QComboBox* colorSets_ = nullptr;
    QRadioButton* radio_ = nullptr;
    QCheckBox* check_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QComboBox* combo_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The openers of Options > Color and the speed button: the window for a target, shown modally.
// Returns true when Ok took the working copy into the target.
bool configureColors(Session& session, config::ColorTarget target, QWidget* parent);
