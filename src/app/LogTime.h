#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace vantorix {

// The time of day in the locale's long time format without its time-zone field:
// en_US gives "9:08:44 PM", de_DE "21:08:44".
QString LongTimeText(const QTime& time, const QLocale& locale);

// The start-time panel: "h:nn AM/PM,  MM/DD/YYYY" with the locale's date separator,
// and two blanks on either side.
QString StartTimeText(const QDateTime& moment, const QLocale& locale);

}  // namespace vantorix
