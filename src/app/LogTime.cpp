#include "app/LogTime.h"

#include <QRegularExpression>

namespace vantorix {

namespace {

// Drops the unquoted "t" runs (the zone) and whatever they leave behind empty.
QString WithoutTimeZone(const QString& format) {
  QString kept;
  bool quoted = false;
  for (const QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    if (!quoted && c == u't') continue;
    kept += c;
  }
  static const QRegularExpression kEmptyBrackets(QStringLiteral(R"(\(\s*\)|\[\s*\])"));
  kept.remove(kEmptyBrackets);
  return kept.simplified();
}

// The character between the day, month and year of the locale's numeric short date;
// "/" when its short date spells the month out (as the C locale's does).
QString DateSeparator(const QLocale& locale) {
  const QString format = locale.dateFormat(QLocale::ShortFormat);
  if (!format.contains(QStringLiteral("MMM")))
    for (const QChar c : format)
      if (!c.isLetter() && c != u'\'' && !c.isSpace()) return QString(c);
  return QStringLiteral("/");
}

}  // namespace

QString LongTimeText(const QTime& time, const QLocale& locale) {
  return locale.toString(time, WithoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

QString StartTimeText(const QDateTime& moment, const QLocale& locale) {
  const QString separator = DateSeparator(locale);
  const QString format =
      QStringLiteral("h:mm AP,  MM") + separator + QStringLiteral("dd") + separator + QStringLiteral("yyyy");
  // AM/PM in English whatever the locale, as the pattern's literal AM/PM asks.
  return QStringLiteral("  ") + QLocale::c().toString(moment, format) + QStringLiteral("  ");
}

}  // namespace vantorix
