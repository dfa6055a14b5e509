#include "oledate.h"

#include <cmath>
#include <limits>

namespace {

constexpr qint64 msecsPerDay = 24 * 60 * 60 * 1000;
// 1 January 100 and 1 January 10000, the bounds of the stored dates.
constexpr double firstDay = -657434.0;
constexpr double endDay = 2958466.0;

QDate epoch()
{
    return QDate(1899, 12, 30);
}

QDateTime localDateTime(const QDate& date, const QTime& time)
{
    const QDateTime local(date, time, Qt::LocalTime);
    if (local.isValid())
        return local;
    // The wall-clock time lies in a gap of local time. Read it with the offset that held a
    // day earlier, which is the offset before the clocks jumped.
    const QDateTime asUtc(date, time, Qt::UTC);
    const QDateTime dayBefore(date.addDays(-1), time, Qt::LocalTime);
    const qint64 offsetMs = qint64(dayBefore.isValid() ? dayBefore.offsetFromUtc() : 0) * 1000;
    return QDateTime::fromMSecsSinceEpoch(asUtc.toMSecsSinceEpoch() - offsetMs, Qt::LocalTime);
}

} // namespace

double toOleDate(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return std::numeric_limits<double>::quiet_NaN();
    const QDateTime local = dateTime.toLocalTime();
    const double days = double(epoch().daysTo(local.date()));
    const double fraction = double(local.time().msecsSinceStartOfDay()) / double(msecsPerDay);
    return days < 0 ? days - fraction : days + fraction;
}

QDateTime fromOleDate(double days)
{
    if (!std::isfinite(days) || days <= firstDay - 1 || days >= endDay)
        return QDateTime();
    double wholeDays = 0;
    const double fraction = std::fabs(std::modf(days, &wholeDays));
    qint64 msecs = std::llround(fraction * double(msecsPerDay));
    QDate date = epoch().addDays(qint64(wholeDays));
    if (msecs >= msecsPerDay) {
        // Rounding reached midnight: for negative values too, the time of day runs forward.
        date = date.addDays(1);
        msecs -= msecsPerDay;
    }
    if (date < QDate(100, 1, 1) || date > QDate(9999, 12, 31))
        return QDateTime();
    return localDateTime(date, QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

QString oleDateTimeText(double days)
{
    const QDateTime time = fromOleDate(days);
    // A fixed pattern: Qt's German long time format would append a time zone.
    return time.isValid() ? time.toString(QStringLiteral("dd.MM.yy HH:mm:ss")) : QString();
}
