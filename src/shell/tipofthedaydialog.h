#pragma once
// The tip of the day: 24 fixed tips, starting at a random one; "&Next Tip" moves on and wraps
// from the last to the first; "&Show Tips at Startup" is preset from the show-tips setting and
// written back to it when the window closes.
#include <QString>

#include "widgets/dialogbase.h"

class QCheckBox;
class QLabel;
class QPushButton;

class TipOfTheDayDialog : public DialogBase {
    Q_OBJECT
public:
    static constexpr int TipCount = 24;
    static QString tipText(int number); // 1..TipCount

    // showTips is the setting the check box edits; it must outlive the window.
    TipOfTheDayDialog(Session& session, bool& showTips, QWidget* parent = nullptr);
    TipOfTheDayDialog(const DialogLook& look, bool& showTips, QWidget* parent = nullptr);

    int tip() const { return tip_; } // 1..TipCount
    void setTip(int number);
    QCheckBox* showAtStartup() const { return showBox_; }

public slots:
    void nextTipClicked();
    void done(int result) override; // writes the check box back, however the window closes

private:
    void build();

    bool& showTips_;
    int tip_ = 1;
    QLabel* text_ = nullptr;
    QLabel* number_ = nullptr;
    QCheckBox* showBox_ = nullptr;
    QPushButton* nextButton_ = nullptr;
};
