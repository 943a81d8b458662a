#pragma once
// The fonts window ("Report Fonts"): the titles, column header, report body and footnote fonts of a
// layout, each shown as name and size, each changed through the font dialog.
#include <array>

#include "reports/reportlayout.h"
#include "widgets/dialogbase.h"

class QLineEdit;
class QPushButton;

namespace reports {

class LayoutFontsDialog : public DialogBase {
    Q_OBJECT
public:
    // Changes the fonts of layout as the user picks them.
    LayoutFontsDialog(Session& session, ReportLayout& layout, QWidget* parent = nullptr);

    // The four fonts shown, in order: titles, column headers, report body, footnotes.
    static constexpr std::array<FontRole, 4> Roles = {TitlesFont, ColumnHeaderFont, BodyFont, FootnoteFont};
    QLineEdit* display(int i) const { return displays_[size_t(i)]; }
    QPushButton* newFontButton(int i) const { return buttons_[size_t(i)]; }

    // The font dialog for font i, its answer taken into the layout.
    void chooseFont(int i);

private:
    ReportLayout& layout_;
    std::array<QLineEdit*, 4> displays_{};
    std::array<QPushButton*, 4> buttons_{};
};

} // namespace reports
