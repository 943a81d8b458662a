#pragma once
// What the editor windows take from the run: the session's data lists and award lists, money
// text in the chosen currency format, and the help window. One place, so that the windows
// speak of boxes and lists rather than of files and settings.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QObject;
class QWidget;
class Session;

namespace editorsupport {

// Data lists 1..17 (2 the stars).
QStringList values(Session& session, int list);
bool saveAll(Session& session, QString* error); // SaveAllLists
// Calls f with the list's number, while context lives, whenever a data list changes.
void onListsChanged(Session& session, QObject* context, std::function<void(int)> f);

// Prices: the money text of a value, and reading a typed price (nullopt when not a number).
QString moneyText(Session& session, double value);
std::optional<double> readMoney(Session& session, const QString& text);

// Layout spacings and margins and the menu bar's font by the screen scale, from the values the
// window was designed with (recorded at the first call, so scaling never compounds).
void scaleSpacing(QWidget* root, double scale);

// Records were added or changed by the editor.
void recordsChanged(Session& session);

// The help window at a keyword.
void showHelp(Session& session, QWidget* parent, const QString& keyword);

} // namespace editorsupport
