#include "catalogue/sortorder.h"

#include "catalogue/fieldslots.h"
#include "dbase/table.h"

QString sortExpression(const SortLevels& levels) {
    int used = 0;
    for (int s : levels)
        if (s >= 1 && s <= FieldCount) ++used;
    if (used == 0) return {};
    const int width = 80 / used;

    QString expression;
    for (int s : levels) {
        if (s < 1 || s > FieldCount) continue;
        const FieldSlot& slot = fieldSlot(s);
        const QString name = QLatin1String(slot.name);
        switch (slot.typeCode) {
        case TypeString:
            expression += QStringLiteral("Upper(Left(%1,%2))+").arg(name).arg(width);
            break;
        case TypeInteger:
            expression += QStringLiteral("STR(%1,12,0)+").arg(name);
            break;
        case TypeFloat:
            expression += QStringLiteral("STR(%1,12,2)+").arg(name);
            break;
        case TypeDate:
            expression += QStringLiteral("DTOS(%1)+").arg(name);
            break;
        default:
            break;
        }
    }
    expression.chop(1); // the final "+"
    return expression;
}

QString sortExpression(int primary, int secondary, int third, int fourth) {
    return sortExpression(SortLevels{primary, secondary, third, fourth});
}

namespace {

const dbase::TagInfo* findTag(const std::vector<dbase::TagInfo>& tags, const QString& name) {
    for (const auto& t : tags)
        if (QString::fromStdString(t.name).compare(name, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

} // namespace

void applySortExpression(dbase::Table& table, const QString& expression, SortApply mode) {
    const QString tag = QLatin1String(kSortTag);
    if (expression.isEmpty()) {
        table.setActiveIndex("");
        return;
    }
    if (table.hasProductionIndex()) {
        const auto tags = table.tags();
        const dbase::TagInfo* existing = findTag(tags, tag);
        if (mode == SortApply::StartUp && existing &&
            QString::fromStdString(existing->expression).compare(expression, Qt::CaseInsensitive) == 0) {
            table.setActiveIndex(kSortTag);
            return;
        }
        table.setActiveIndex("");
        if (existing) table.deleteIndex(kSortTag);
    }
    table.addIndex(kSortTag, expression.toStdString());
    table.setActiveIndex(kSortTag);
}

QString sortNeedsExclusiveMessage() {
    return QStringLiteral(
        "Creating a new sort order requires exclusive use of the DBase File.  Make sure that the "
        "DBase File is not in use by another program  or that no other users are running the "
        "software or that no other copies of the software are in use.");
}

QString sortFailedMessage() {
    return QStringLiteral("Error in implementing sort order.  New sort order not implemented.");
}
