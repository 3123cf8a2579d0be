#include "platform/Clock.h"

namespace {

QDateTime &clockOverride()
{
    static QDateTime now;
    return now;
}

} // namespace

QDate Today()
{
    return Now().date();
}

QDateTime Now()
{
    return clockOverride().isValid() ? clockOverride() : QDateTime::currentDateTime();
}

void setClockForTests(const QDateTime &now)
{
    clockOverride() = now;
}
