#include "reports/ui/labeldimensionsdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "catalogue/session.h"
#include "widgets/prompts.h"

namespace reports {

namespace {

// The largest value a box takes: no sheet is wider or taller than this many inches.
constexpr double MaxInches = 100;

} // namespace

QString LabelDimensionsDialog::invalidMessage(Field field) {
    static const char* const kNames[FieldCount] = {"top margin", "left margin", "width",
                                                   "height",     "gap",         "count"};
    return QStringLiteral("Invalid %1 specified.  Please correct").arg(QLatin1String(kNames[field]));
}

LabelDimensionsDialog::LabelDimensionsDialog(Session& session, QWidget* parent)
    : DialogBase(session, WindowGroup::Report, parent) {
    setObjectName(QStringLiteral("LabelDims"));
    setWindowTitle(QStringLiteral("Dimensions (in inches)"));
    static const char* const kNames[2] = {"Face", "Spine"};
    static const char* const kCaptions[FieldCount] = {
        "Top Margin", "Left Margin", "Label Width", "Label Height", "", "Labels Per Page"};
    auto* groups = new QHBoxLayout;
    for (int k = 0; k < 2; ++k) {
        auto* box = new QGroupBox(QStringLiteral("%1 Labels").arg(QLatin1String(kNames[k])), this);
        auto* form = new QFormLayout(box);
        for (int f = 0; f < FieldCount; ++f) {
            auto* e = new QLineEdit(box);
            static const char* const kControls[FieldCount] = {"Top",    "Left", "Width",
                                                              "Height", "Gap",  "Count"};
            e->setObjectName(
                QStringLiteral("%1%2").arg(QLatin1String(kNames[k]), QLatin1String(kControls[f])));
            e->setMaxLength(12);
            const QString caption =
                f == Gap ? (k == 0 ? QStringLiteral("Horizontal Gap") : QStringLiteral("Vertical Gap"))
                         : QLatin1String(kCaptions[f]);
            form->addRow(caption, e);
            edits_[size_t(k)][size_t(f)] = e;
        }
        groups->addWidget(box);
    }
    fill(0, session.program().face);
    fill(1, session.program().spine);

    QHBoxLayout* buttons = okCancelRow([this] { OkButtonClick(); });
    auto* main = new QVBoxLayout(this);
    main->addLayout(groups);
    main->addLayout(buttons);
}

void LabelDimensionsDialog::fill(int kind, const LabelDimensions& d) {
    const double values[] = {d.topMargin, d.leftMargin, d.width, d.height, d.gap};
    for (int f = 0; f < Count; ++f)
        edits_[size_t(kind)][size_t(f)]->setText(QString::number(values[f], 'f', 4));
    edits_[size_t(kind)][Count]->setText(QString::number(d.count));
}

bool LabelDimensionsDialog::read(int kind, Field field, double* value) {
    QLineEdit* e = edits_[size_t(kind)][size_t(field)];
    const QString text = e->text().trimmed();
    bool ok = false;
    double v = 0;
    if (field == Count) {
        v = text.toInt(&ok);
        ok = ok && v >= 1;
    } else {
        v = text.toDouble(&ok);
        if (!ok) v = QLocale().toDouble(text, &ok); // the desktop's decimal comma
        // Margins and gaps may be 0; a label needs a size; nothing is negative or absurd.
        ok = ok && std::isfinite(v) && v >= 0 && v <= MaxInches &&
             (v > 0 || (field != Width && field != Height));
    }
    if (!ok) {
        Prompts::instance().error(this, invalidMessage(field));
        e->setFocus();
        e->selectAll();
        return false;
    }
    *value = v;
    return true;
}

void LabelDimensionsDialog::OkButtonClick() {
    std::array<LabelDimensions, 2> dims;
    for (int k = 0; k < 2; ++k) {
        double v[FieldCount] = {};
        for (int f = 0; f < FieldCount; ++f)
            if (!read(k, Field(f), &v[f])) return;
        dims[size_t(k)] = {v[TopMargin], v[LeftMargin], v[Width], v[Height], v[Gap], int(v[Count])};
    }
    // The media number grid has 12 face and 16 spine positions: a sheet prints no more.
    QStringList limited;
    for (int k = 0; k < 2; ++k) {
        const LabelType kind = k == 0 ? LabelType::Face : LabelType::Spine;
        if (dims[size_t(k)].count > maxPositions(kind)) {
            dims[size_t(k)].count = maxPositions(kind);
            edits_[size_t(k)][Count]->setText(QString::number(maxPositions(kind)));
            limited << QStringLiteral(
                           "%1 labels per page are limited to %2, the positions of the media number grid.")
                           .arg(k == 0 ? QStringLiteral("Face") : QStringLiteral("Spine"))
                           .arg(maxPositions(kind));
        }
    }
    Session& s = *session();
    const LabelDimensions oldFace = s.program().face, oldSpine = s.program().spine;
    s.program().face = dims[0];
    s.program().spine = dims[1];
    QString error;
    if (!s.saveProgramSettings(&error)) {
        s.program().face = oldFace;
        s.program().spine = oldSpine;
        Prompts::instance().error(this, error);
        return;
    }
    if (!limited.isEmpty()) Prompts::instance().notice(this, limited.join(QStringLiteral("  ")));
    accept();
}

} // namespace reports
