#include "config/viewerconfig.h"

#include <algorithm>

namespace config {

namespace {
const QString Yes = QStringLiteral("Yes");
const QString No = QStringLiteral("No");
} // namespace

int widthFromText(const QString& text) {
    QString digits = text;
    digits.remove(QLatin1Char(' '));
    bool ok = false;
    // Only plain digits: a sign, a decimal point or any other character is not a width.
    const bool plain = !digits.isEmpty() && std::all_of(digits.cbegin(), digits.cend(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    const int value = plain ? digits.toInt(&ok) : 0;
    if (!ok || value < MinimumWidth || value > MaximumWidth) return FallbackWidth;
    return value;
}

std::array<int, FieldCount> displayOrder(const DatabaseSettings& settings) {
    std::array<int, FieldCount> inOrder{};
    for (int slot = 1; slot <= FieldCount; ++slot)
        inOrder[size_t(slot - 1)] = slot;
    auto position = [&](int slot) {
        const int p = settings.fieldOrder[size_t(slot - 1)];
        return p >= 1 && p <= FieldCount ? p : FieldCount + 1;
    };
    std::stable_sort(inOrder.begin(), inOrder.end(), [&](int a, int b) { return position(a) < position(b); });
    return inOrder;
}

ViewerConfiguration::ViewerConfiguration(const DatabaseSettings& settings) {
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const size_t i = size_t(slot - 1);
        display_[i] = settings.displayFields[i] ? Yes : No;
        widths_[i] = QString::number(settings.fieldWidth[i]);
        names_[i] = settings.fieldNames[i];
        opening_[i] = settings.fieldNames[i];
    }
    order_ = displayOrder(settings);
}

void ViewerConfiguration::toggleDisplayed(int slot) {
    QString& cell = display_[size_t(slot - 1)];
    cell = cell == Yes ? No : Yes;
}

bool ViewerConfiguration::moveUp(int row) {
    if (row < 1 || row >= FieldCount) return false;
    std::swap(order_[size_t(row)], order_[size_t(row - 1)]);
    return true;
}

bool ViewerConfiguration::moveDown(int row) {
    if (row < 0 || row >= FieldCount - 1) return false;
    std::swap(order_[size_t(row)], order_[size_t(row + 1)]);
    return true;
}

void ViewerConfiguration::restoreDefaultOrder() {
    for (int slot = 1; slot <= FieldCount; ++slot)
        order_[size_t(slot - 1)] = slot;
}

QString ViewerConfiguration::defaultOrderQuestion() {
    return QStringLiteral("This will set the order of fields to the program defaults.  Continue?");
}

std::optional<NameProblem> ViewerConfiguration::nameProblem() const {
    // A name as it would be kept, and as the user sees it: cut, without blanks around it.
    std::array<QString, FieldCount> kept;
    for (int slot = 1; slot <= FieldCount; ++slot)
        kept[size_t(slot - 1)] = names_[size_t(slot - 1)].left(DisplayNameLength).trimmed();
    for (int slot = 1; slot <= FieldCount; ++slot)
        if (kept[size_t(slot - 1)].isEmpty())
            return NameProblem{slot,
                               QStringLiteral("The field %1 has no name to use.  Please give it a name.")
                                   .arg(fieldName(slot))};
    for (int i = 0; i < FieldCount; ++i)
        for (int j = i + 1; j < FieldCount; ++j)
            if (kept[size_t(i)] == kept[size_t(j)])
                return NameProblem{j + 1, QStringLiteral("Two field names have the same name \"%1\".  "
                                                         "Please change one.")
                                              .arg(kept[size_t(i)])};
    return std::nullopt;
}

void ViewerConfiguration::apply(DatabaseSettings& settings) {
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const size_t i = size_t(slot - 1);
        const int width = widthFromText(widths_[i]);
        widths_[i] = QString::number(width);
        settings.fieldWidth[i] = width;
    }
    for (int slot = 1; slot <= FieldCount; ++slot)
        settings.displayFields[size_t(slot - 1)] = display_[size_t(slot - 1)] == Yes;
    for (int row = 0; row < FieldCount; ++row)
        settings.fieldOrder[size_t(order_[size_t(row)] - 1)] = row + 1;
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const size_t i = size_t(slot - 1);
        names_[i] = names_[i].left(DisplayNameLength);
        settings.fieldNames[i] = names_[i];
    }
}

QFont fontFromSetting(const FontSetting& setting) {
    QFont font(setting.name);
    if (setting.size > 0) font.setPointSize(setting.size);
    font.setBold(setting.bold);
    font.setItalic(setting.italic);
    font.setUnderline(setting.underline);
    font.setStrikeOut(setting.strikeout);
    return font;
}

void takeFont(FontSetting& setting, const QFont& font) {
    setting.name = font.family();
    if (font.pointSize() > 0) setting.size = font.pointSize();
    setting.bold = font.bold();
    setting.italic = font.italic();
    setting.underline = font.underline();
    setting.strikeout = font.strikeOut();
}

QString fontDescription(const FontSetting& setting) {
    return QStringLiteral("%1pt %2").arg(setting.size).arg(setting.name);
}

} // namespace config
