#pragma once

#include <QDateTime>

// Date-times as the program stores them in files: days since 30 December 1899 00:00 in local
// time, the fraction being the time of day. Values below zero count whole days backwards while
// their fraction still runs forwards through the day: -1.25 is 29 December 1899, 06:00.

// The value of dateTime, converted to local time first. An invalid date-time gives NaN, which
// fromOleDate() turns back into an invalid one.
double toOleDate(const QDateTime& dateTime);

// The local date-time of a stored value, rounded to the millisecond. Values outside the years
// 100 to 9999, NaN and infinities give an invalid QDateTime.
// A wall-clock time that local time skips (the hour lost when summer time begins) comes out
// moved forward by the length of the gap, as if the clock had not been put forward yet.
QDateTime fromOleDate(double days);

// A stored date-time as the program and its tools show it, whatever the system's locale:
// "dd.MM.yy HH:mm:ss", for example "08.12.26 00:52:58". Empty for a value fromOleDate() rejects.
QString oleDateTimeText(double days);
