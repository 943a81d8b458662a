#pragma once
// The layout definition window ("Report Definition"): name, width, fonts, title lines, options,
// margins and line count of a report layout; it opens the fonts window and the line editor, and
// saves the layout as a new one, over the one it was opened on, or deletes that one.
#include <array>

#include "reports/reportlayout.h"
#include "widgets/dialogbase.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace reports {

class LayoutDesigner : public DialogBase {
    Q_OBJECT
public:
    static constexpr int NewLayout = -1;

    // Designs layout; index is its number in layoutFile, or NewLayout for a layout not yet saved.
    LayoutDesigner(Session& session, const ReportLayout& layout, int index, const QString& layoutFile,
                   QWidget* parent = nullptr);
    ~LayoutDesigner() override;

    enum class Outcome { Cancelled, Saved, Deleted };
    Outcome outcome() const { return outcome_; }
    // After a save: the layout's number in the file.
    int savedIndex() const { return index_; }
    // The layout as designed so far (as saved, after a save).
    const ReportLayout& layout() const { return layout_; }

    QLineEdit* reportName() const { return name_; }
    QRadioButton* widthRadio(int width) const; // 90, 120 or 150
    QLineEdit* fontDisplay(int i) const {
        return fontDisplays_[size_t(i)];
    } // titles, headers, body, footnotes
    QLineEdit* title(int i) const { return titles_[size_t(i)]; }
    QCheckBox* level1Group() const { return level1_; }
    QCheckBox* level2Group() const { return level2_; }
    QCheckBox* columnHeaders() const { return columnHeaders_; }
    QCheckBox* pageNumbers() const { return pageNumbers_; }
    QCheckBox* horizontalLines() const { return horzLines_; }
    QCheckBox* dateOnPages() const { return dateOnPage_; }
    QCheckBox* verticalLines() const { return vertLines_; }
    QCheckBox* landscape() const { return landOrient_; }
    QLineEdit* numLines() const { return numLines_; }
    QCheckBox* useTotals() const { return useTotals_; }
    QLineEdit* margin(int i) const { return margins_[size_t(i)]; } // top, bottom, left, right
    QPushButton* setFontsButton() const { return setFonts_; }
    QPushButton* specifyButton() const { return specify_; }
    QPushButton* updateButton() const { return update_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* helpButton() const { return help_; }

public slots:
    void UpdateButtonClick();
    void DeleteButtonClick();
    void SetFontsClick();
    void SpecifyButtonClick();
    void HelpButtonClick();
    // A width radio was clicked.
    void WidthClick(int width);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillControls();
    void refreshFonts();
    void lineCountLeft();
    void nameChanged();
    void checkWidthRadio(int width);
    int checkedWidth() const;
    // The line count check: false (with the notice shown) when it is not 0 to 12.
    bool lineCountValid();
    // The margins as numbers: false (with a notice) when one does not read as inches.
    bool readMargins(std::array<double, 4>* values);
    bool warn(const QString& caption, const QString& text, QWidget* focus);

    ReportLayout layout_;
    int index_;
    QString file_;
    QString openingName_;
    Outcome outcome_ = Outcome::Cancelled;

    QLineEdit* name_;
    std::array<QRadioButton*, 3> widths_{};
    std::array<QLineEdit*, 4> fontDisplays_{};
    QPushButton* setFonts_;
    std::array<QLineEdit*, 3> titles_{};
    QCheckBox* level1_;
    QCheckBox* level2_;
    QCheckBox* columnHeaders_;
    QCheckBox* pageNumbers_;
    QCheckBox* horzLines_;
    QCheckBox* dateOnPage_;
    QCheckBox* vertLines_;
    QCheckBox* landOrient_;
    QLineEdit* numLines_;
    QCheckBox* useTotals_;
    QPushButton* specify_;
    std::array<QLineEdit*, 4> margins_{};
    QPushButton* update_;
    QPushButton* cancel_;
    QPushButton* delete_;
    QPushButton* help_;
};

} // namespace reports
