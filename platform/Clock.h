#pragma once

#include <QDate>
#include <QDateTime>

// The date and time the program works with: the system clock, unless a test has set
// another.
QDate Today();
QDateTime Now();
void setClockForTests(const QDateTime &now); // an invalid value returns to the real clock
