#include "find/criterionvalues.h"

#include <QLocale>
#include <cmath>

std::optional<double> plainDecimal(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    auto digitsAt = [&](qsizetype& at) {
        const qsizetype from = at;
        while (at < n && t[at] >= QLatin1Char('0') && t[at] <= QLatin1Char('9'))
            ++at;
        return at - from;
    };
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) ++i;
    qsizetype digits = digitsAt(i);
    if (i < n && t[i] == QLatin1Char('.')) {
        ++i;
        digits += digitsAt(i);
    }
    if (digits == 0) return std::nullopt;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) ++i;
        if (digitsAt(i) == 0) return std::nullopt;
    }
    if (i != n) return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(t.startsWith(QLatin1Char('+')) ? t.mid(1) : t, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<QString> typedDate(const QString& text, const DateFormat& format) {
    const std::optional<QDate> d = format.parseDate(text.trimmed());
    if (!d) return std::nullopt;
    return d->toString(QStringLiteral("yyyyMMdd"));
}

bool isUntouchedDate(const QString& text) {
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('/') && c != QLatin1Char('-') && c != QLatin1Char('.'))
            return false;
    return true;
}

QString upperAsciiLetters(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return out;
}
