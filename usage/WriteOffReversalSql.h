#pragma once

#include <QString>

// The statements of the reverse write-off window. {book} is a book number (入库单编号),
// {record} the number of a write-off record (核销记录编号).

// The write-off information of a book: one row per issue line of the book and
// write-off record that holds it, with the bill type and the issuing department. A
// book that was never written off gives no row.
QString bookWriteOffInfoSql(const QString &book);
// The write-off record row, when the record holds the book.
QString writeOffRecordOfBookSql(const QString &book, const QString &record);
// The book's row in the write-off record (票据核销).
QString bookInWriteOffRecordSql(const QString &book, const QString &record);
// How many books the write-off record holds, as 计数.
QString booksInWriteOffRecordCountSql(const QString &record);

// The batch that takes the book's figures out of a record that keeps other books,
// then reopens the book: five statements joined by CR LF, sent in one execution.
QString takeBookOutOfRecordBatchSql(const QString &book, const QString &record);
// The batch for a record whose only book this is: the record row is deleted instead
// of reduced; the book is reopened as in the take-out batch.
QString deleteRecordBatchSql(const QString &book, const QString &record);
