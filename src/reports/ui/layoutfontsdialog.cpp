#include "reports/ui/layoutfontsdialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "widgets/prompts.h"

namespace reports {

LayoutFontsDialog::LayoutFontsDialog(Session& session, ReportLayout& layout, QWidget* parent)
    : DialogBase(session, WindowGroup::Report, parent), layout_(layout) {
    setObjectName(QStringLiteral("ReportFonts"));
    setWindowTitle(QStringLiteral("Report Fonts"));

    static const char* const kCaptions[4] = {"Titles Font", "Column Header Font", "Report Body Font",
                                             "Footnote Font"};
    auto* grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        auto* box = new QGroupBox(QString::fromLatin1(kCaptions[i]), this);
        auto* display = new QLineEdit(box);
        display->setReadOnly(true);
        display->setFocusPolicy(Qt::NoFocus);
        display->setText(layout_.fonts[Roles[size_t(i)]].description());
        display->setMinimumWidth(display->fontMetrics().averageCharWidth() * 26);
        auto* button = new QPushButton(QStringLiteral("New Font"), box);
        connect(button, &QPushButton::clicked, this, [this, i] { chooseFont(i); });
        auto* row = new QHBoxLayout(box);
        row->addWidget(display, 1);
        row->addWidget(button);
        grid->addWidget(box, i / 2, i % 2);
        displays_[size_t(i)] = display;
        buttons_[size_t(i)] = button;
    }
    QHBoxLayout* buttons = okCancelRow([this] { accept(); }, false);
    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addLayout(buttons);
}

void LayoutFontsDialog::chooseFont(int i) {
    LayoutFont& f = layout_.fonts[Roles[size_t(i)]];
    QFont initial(f.name);
    if (f.size > 0) initial.setPointSize(f.size);
    initial.setBold(f.bold);
    initial.setItalic(f.italic);
    initial.setUnderline(f.underline);
    initial.setStrikeOut(f.strikeout);
    const std::optional<QFont> chosen = Prompts::instance().font(this, initial);
    if (!chosen) return;
    f.name = chosen->family().left(MaxFontNameLength);
    const double points = chosen->pointSizeF();
    if (points > 0) f.size = std::max(1, int(std::lround(points)));
    f.bold = chosen->bold();
    f.italic = chosen->italic();
    f.underline = chosen->underline();
    f.strikeout = chosen->strikeOut();
    displays_[size_t(i)]->setText(f.description());
}

} // namespace reports
