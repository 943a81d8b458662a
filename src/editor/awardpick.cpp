#include "editor/awardpick.h"

#include "catalogue/datalists.h"
#include "catalogue/fieldslots.h"

namespace {

// Alphabetical order of the pick list: letter case ignored.
int compareItems(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive);
}

} // namespace

QString AwardPick::caption(Mode mode) {
    switch (mode) {
    case Awards:
        return QStringLiteral("Oscar Awards");
    case Nominations:
        return QStringLiteral("Oscar Nominations");
    case Miscellaneous:
        return QStringLiteral("Miscellaneous");
    }
    return {};
}

int AwardPick::listNumber(Mode mode) {
    return mode == Miscellaneous ? DataLists::Miscellaneous : DataLists::OscarNames;
}

int AwardPick::targetSlot(Mode mode) {
    switch (mode) {
    case Awards:
        return Slot::OscarAward;
    case Nominations:
        return Slot::OscarNomination;
    case Miscellaneous:
        return Slot::Miscellaneous;
    }
    return Slot::OscarAward;
}

int AwardPick::targetWidth(Mode mode) {
    return fieldSlot(targetSlot(mode)).width;
}

void AwardPick::setItems(const QStringList& items) {
    items_.clear();
    selected_.clear();
    for (const QString& item : items)
        addItem(item);
}

void AwardPick::loadList() {
    setItems(DataLists::readListFile(DataLists::programListPath(listNumber(mode_))));
}

int AwardPick::addItem(const QString& item) {
    // After every item that sorts before it or equal to it.
    qsizetype pos = items_.size();
    for (qsizetype i = 0; i < items_.size(); ++i) {
        if (compareItems(item, items_[i]) < 0) {
            pos = i;
            break;
        }
    }
    items_.insert(pos, item);
    selected_.insert(pos, false);
    return int(pos);
}

void AwardPick::setSelected(int index, bool on) {
    if (index < 0 || index >= selected_.size()) return;
    selected_[index] = on;
}

void AwardPick::clearSelection() {
    selected_.fill(false);
}

QList<int> AwardPick::selectedIndexes() const {
    QList<int> out;
    for (int i = 0; i < selected_.size(); ++i) {
        if (selected_[i]) out.append(i);
    }
    return out;
}

int AwardPick::findMisc(const QString& item) const {
    for (int i = 0; i < items_.size(); ++i) {
        if (items_[i] == item) return i;
    }
    return -1;
}

int AwardPick::findIgnoringCase(const QString& item) const {
    for (int i = 0; i < items_.size(); ++i) {
        if (items_[i].compare(item, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QStringList AwardPick::splitItems(const QString& text) {
    QStringList out;
    QString rest = text.trimmed();
    while (!rest.isEmpty()) {
        const qsizetype comma = rest.indexOf(QLatin1Char(','));
        const QString item = (comma < 0 ? rest : rest.left(comma)).trimmed();
        rest = comma < 0 ? QString() : rest.mid(comma + 1).trimmed();
        if (!item.isEmpty()) out.append(item);
    }
    return out;
}

void AwardPick::preselect(const QString& miscText) {
    for (const QString& item : splitItems(miscText)) {
        const int found = findMisc(item);
        if (found >= 0) {
            setSelected(found, true);
            continue;
        }
        addItem(item);
        setSelected(findIgnoringCase(item), true);
    }
}

QString AwardPick::joined() const {
    QString out;
    for (int i = 0; i < items_.size(); ++i) {
        if (!selected_[i]) continue;
        out += items_[i];
        out += QStringLiteral(", ");
    }
    if (out.endsWith(QStringLiteral(", "))) out.chop(2);
    if (out.size() > MaxResultLength) out.truncate(MaxResultLength);
    return out;
}
