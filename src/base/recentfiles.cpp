#include "base/recentfiles.h"

namespace recent {

void updateRecentFiles(QStringList& entries, const QString& previous, const QString& current) {
    while (entries.size() < Count)
        entries.append(QString());
    while (entries.size() > Count)
        entries.removeLast();

    // The database switched to leaves the list; the entries below it move up.
    for (int k = 0; k < Count; ++k) {
        if (!entries[k].isEmpty() && entries[k] == current) {
            for (int j = k; j < Count - 1; ++j)
                entries[j] = entries[j + 1];
            entries[Count - 1].clear();
            break;
        }
    }
    // The database switched away from goes on top; the oldest entry drops out.
    for (int j = Count - 1; j > 0; --j)
        entries[j] = entries[j - 1];
    entries[0] = previous;
}

QString menuCaption(int n, const QString& path) {
    QString escaped = path;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&")); // a path's own ampersands stay visible
    return QStringLiteral("&%1   %2").arg(n).arg(escaped);
}

} // namespace recent
