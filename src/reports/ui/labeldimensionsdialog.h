#pragma once
// The dimensions of the user's own label stock ("Dimensions (in inches)"): top and left margin,
// label width and height, the gap between labels and the labels per page, for face and for spine
// labels. "&Ok" reads the twelve boxes in order; the first that does not hold a sound value gets
// its message and the focus and nothing is stored. Otherwise the values go into the program
// settings, whose file is written at once.
#include <array>

#include "catalogue/settings.h"
#include "reports/labelstock.h"
#include "widgets/dialogbase.h"

class QLineEdit;

namespace reports {

class LabelDimensionsDialog : public DialogBase {
    Q_OBJECT
public:
    enum Field { TopMargin, LeftMargin, Width, Height, Gap, Count, FieldCount };

    explicit LabelDimensionsDialog(Session& session, QWidget* parent = nullptr);

    QLineEdit* edit(LabelType kind, Field field) const {
        return edits_[size_t(kind == LabelType::Face ? 0 : 1)][size_t(field)];
    }
    // The message for a box whose text is refused.
    static QString invalidMessage(Field field);

public slots:
    void OkButtonClick();

private:
    void fill(int kind, const LabelDimensions& d);
    // The value of one box; false (after its message) when it is refused.
    bool read(int kind, Field field, double* value);

    std::array<std::array<QLineEdit*, FieldCount>, 2> edits_{};
};

} // namespace reports
