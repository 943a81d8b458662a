#include "editor/ui/editorsupport.h"

#include "app/regional.h"
#include "app/session.h"
#include "app/ui/helpwindow.h"
#include "editor/datalists.h"

namespace editorsupport {

QStringList values(Session& session, int list) { return session.lists().list(list); }

void addToList(Session& session, int list, const QString& value) { session.lists().addToList(list, value); }

void addToStarList(Session& session, const QString& value) { session.lists().addToStarList(value); }

bool saveAll(Session& session, QString* error) {
    if (session.currentDatabase().isEmpty()) return true;
    return session.lists().saveAllLists(session.currentDatabase(), error);
}

void onListsChanged(Session& session, QObject* context, std::function<void(int)> f) {
    QObject::connect(&session.lists(), &DataLists::listChanged, context, [f = std::move(f)](int number) { f(number); });
}

QString moneyText(Session& session, double value) {
    return money(0, value, session.program().currencyFormat, session.regional()).trimmed();
}

std::optional<double> readMoney(Session& session, const QString& text) {
    return parseMoney(text, session.program().currencyFormat, session.regional());
}

void recordsChanged(Session& session) { session.notifyRecordsChanged(); }

void showHelp(Session&, QWidget* parent, const QString& keyword) { THelpWindow::showHelp(parent, keyword); }

}  // namespace editorsupport
