#pragma once
// "Label Options": which items a label shows (eight check boxes captioned with the field display
// names) and the label font, shown as size + "pt " + name. "&New" opens the font dialog; the
// label font keeps size 10 whatever size is picked. Closing the window, by "&Ok" or otherwise,
// stores the switches in the database settings (written with them at the next change of
// catalogue or at program end).
#include <array>

#include "catalogue/settings.h"
#include "reports/labelstock.h"
#include "widgets/dialogbase.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace reports {

class LabelOptionsDialog : public DialogBase {
    Q_OBJECT
public:
    enum Item { Title, Rating, StartCounter, StopCounter, Year, PlayTime, MediaNumber, Category, ItemCount };

    explicit LabelOptionsDialog(Session& session, QWidget* parent = nullptr);

    QCheckBox* checkBox(Item item) const { return boxes_[size_t(item)]; }
    QLineEdit* fontDisplay() const { return fontDisplay_; }
    QPushButton* newFontButton() const { return newButton_; }
    // "10pt Arial"
    static QString fontDescription(const FontSetting& font);
    // The only size of the label font.
    static constexpr int FontSize = 10;

public slots:
    void NewButtonClick();

protected:
    void done(int result) override;

private:
    std::array<QCheckBox*, ItemCount> boxes_{};
    QLineEdit* fontDisplay_;
    QPushButton* newButton_;
};

} // namespace reports
