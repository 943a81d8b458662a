#pragma once
// The list of recently used databases: five paths, entry 1 (index 0) the newest. The list holds
// the databases the user switched away from, never the one just switched to.
#include <QString>
#include <QStringList>

namespace recent {

constexpr int Count = 5;

// Updates the list after a switch from `previous` to `current`: removes `current` (compared
// byte for byte) and puts `previous` on top; the oldest entry drops out. The list always has
// Count entries afterwards (empty strings for unused ones).
void updateRecentFiles(QStringList& entries, const QString& previous, const QString& current);

// The menu caption of entry n (1-based): "&n   " followed by the path.
QString menuCaption(int n, const QString& path);

} // namespace recent
