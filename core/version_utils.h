#pragma once

#include <QDateTime>
#include <QString>

// The one moment the program started; every version stamp of a run carries it.
QDateTime programStartTime();

// Month as a plain number, then the day in two digits: 9 December gives "1209".
// Empty for a null or invalid date-time.
QString dateStamp(const QDateTime& time);

// Up to the first three parts of version, each followed by its separator ("." or ","),
// then the date stamp of the start time; a version without one gets "." and the stamp.
[[nodiscard]] int stampVersion(const QString& version, QString& out);
