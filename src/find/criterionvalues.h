#pragma once
// Reading the numbers and dates typed into search, locate and replace entries. Kept in one place
// so that every finding window reads typed values the same way.
#include <QString>
#include <optional>

#include "base/regional.h"

// A plain decimal number: optional sign, digits with at most one "." and an optional exponent
// ("1e3", "-2.5E-1"); blanks around it are ignored; nothing else is accepted.
std::optional<double> plainDecimal(const QString& text);

// A date in the day, month and year order and separator of the format, as "YYYYMMDD".
std::optional<QString> typedDate(const QString& text, const DateFormat& format);

// True when a date entry holds nothing but blanks and date separators ("/  /", "-  -", ".  .").
bool isUntouchedDate(const QString& text);

// Upper-cases the letters a to z and leaves every other character as it is.
QString upperAsciiLetters(const QString& text);
