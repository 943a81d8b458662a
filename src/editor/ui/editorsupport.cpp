#include "editor/ui/editorsupport.h"

#include <QGridLayout>
#include <QLayout>
#include <QMenuBar>
#include <QWidget>
#include <cmath>

#include "base/regional.h"
#include "catalogue/datalists.h"
#include "catalogue/session.h"
#include "widgets/helpwindow.h"

namespace editorsupport {

QStringList values(Session& session, int list) {
    return session.lists().list(list);
}

void addToList(Session& session, int list, const QString& value) {
    session.lists().addToList(list, value);
}

void addToStarList(Session& session, const QString& value) {
    session.lists().addToStarList(value);
}

bool saveAll(Session& session, QString* error) {
    if (session.currentDatabase().isEmpty()) return true;
    return session.lists().saveAllLists(session.currentDatabase(), error);
}

void onListsChanged(Session& session, QObject* context, std::function<void(int)> f) {
    QObject::connect(&session.lists(), &DataLists::listChanged, context,
                     [f = std::move(f)](int number) { f(number); });
}

QString moneyText(Session& session, double value) {
    return money(0, value, session.program().currencyFormat, session.regional()).trimmed();
}

std::optional<double> readMoney(Session& session, const QString& text) {
    return parseMoney(text, session.program().currencyFormat, session.regional());
}

void scaleSpacing(QWidget* root, double scale) {
    if (scale <= 0) scale = 1.0;
    auto scaled = [scale](int v) { return v < 0 ? v : int(std::lround(v * scale)); };
    for (QLayout* layout : root->findChildren<QLayout*>()) {
        auto* grid = qobject_cast<QGridLayout*>(layout);
        if (!layout->property("designMargins").isValid()) {
            const QMargins m = layout->contentsMargins();
            layout->setProperty("designMargins", QVariantList{m.left(), m.top(), m.right(), m.bottom()});
            layout->setProperty("designH", grid ? grid->horizontalSpacing() : layout->spacing());
            layout->setProperty("designV", grid ? grid->verticalSpacing() : layout->spacing());
        }
        const QVariantList m = layout->property("designMargins").toList();
        layout->setContentsMargins(scaled(m[0].toInt()), scaled(m[1].toInt()), scaled(m[2].toInt()),
                                   scaled(m[3].toInt()));
        if (grid) {
            grid->setHorizontalSpacing(scaled(layout->property("designH").toInt()));
            grid->setVerticalSpacing(scaled(layout->property("designV").toInt()));
        } else {
            layout->setSpacing(scaled(layout->property("designH").toInt()));
        }
    }
    for (QMenuBar* bar : root->findChildren<QMenuBar*>()) {
        if (!bar->property("designPointSize").isValid())
            bar->setProperty("designPointSize", bar->font().pointSizeF());
        QFont f = bar->font();
        const qreal design = bar->property("designPointSize").toReal();
        if (design > 0) f.setPointSizeF(design * scale);
        bar->setFont(f);
        for (QMenu* menu : bar->findChildren<QMenu*>())
            menu->setFont(f);
    }
}

void recordsChanged(Session& session) {
    session.notifyRecordsChanged();
}

void showHelp(Session&, QWidget* parent, const QString& keyword) {
    HelpWindow::showHelp(parent, keyword);
}

} // namespace editorsupport
