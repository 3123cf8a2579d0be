#pragma once

// The cases a reverse of a write-off is tried on, with and without its window.
#include "InjectedFailures.h"

#include <QVariant>
#include <QtTest>

// Amounts compare in cents (0.01 + 0.06 against 0.07) and NULL counts as 0: equal amounts
// decide by the count of the record's books. Columns bookAmount, recordAmount, otherBook.
inline void addEqualAmountRows()
{
    QTest::addColumn<QVariant>("bookAmount");
    QTest::addColumn<QVariant>("recordAmount");
    QTest::addColumn<bool>("otherBook");
    QTest::newRow("other book without amount") << QVariant(300.5) << QVariant(300.5) << true;
    QTest::newRow("only book, binary noise") << QVariant(0.07) << QVariant(0.01 + 0.06) << false;
    QTest::newRow("only book, NULL record amount") << QVariant(0) << QVariant() << false;
}

// The statements a reverse sends: the record and the book looked up, the record's books
// counted (equal amounts only), then the batch's five. Scenario 0 takes the book out of
// a record that keeps another, 1 deletes the record of its only book.
inline void addReverseFailureRows()
{
    addFailingStatementRows({{"take-out", 7}, {"delete", 8}});
}
