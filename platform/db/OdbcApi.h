#pragma once

#include <QMetaType>
#include <QStringList>
#include <QVariant>

#include <sql.h>
#include <sqlext.h>

#include <functional>
#include <string>
#include <vector>

namespace db {

class ResultTableBuilder;

// The entry points of the ODBC driver manager the program calls itself. They are looked
// up at run time in the library Qt's ODBC driver itself loads, so that the program does
// not link against it; the library is never unloaded.
struct OdbcApi
{
    SQLRETURN(SQL_API *allocHandle)(SQLSMALLINT, SQLHANDLE, SQLHANDLE *) = nullptr;
    SQLRETURN(SQL_API *freeHandle)(SQLSMALLINT, SQLHANDLE) = nullptr;
    SQLRETURN(SQL_API *setEnvAttr)(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER) = nullptr;
    SQLRETURN(SQL_API *setConnectAttr)(SQLHDBC, SQLINTEGER, SQLPOINTER, SQLINTEGER) = nullptr;
    SQLRETURN(SQL_API *driverConnect)(SQLHDBC, SQLHWND, SQLWCHAR *, SQLSMALLINT, SQLWCHAR *, SQLSMALLINT,
                                      SQLSMALLINT *, SQLUSMALLINT) = nullptr;
    SQLRETURN(SQL_API *disconnect)(SQLHDBC) = nullptr;
    SQLRETURN(SQL_API *getDiagRec)(SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLWCHAR *, SQLINTEGER *, SQLWCHAR *,
                                   SQLSMALLINT, SQLSMALLINT *) = nullptr;
    SQLRETURN(SQL_API *fetch)(SQLHSTMT) = nullptr;
    SQLRETURN(SQL_API *getData)(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN *) = nullptr;

    bool usable() const
    {
        return allocHandle && freeHandle && setEnvAttr && setConnectAttr && driverConnect && disconnect && getDiagRec
            && fetch && getData;
    }
};

const OdbcApi &odbcApi();

struct OdbcDiagnostic
{
    std::u16string state;
    int native = 0;
    std::u16string text;
};

std::vector<OdbcDiagnostic> diagnosticsOf(const OdbcApi &api, SQLSMALLINT type, SQLHANDLE handle);

// Reads every row of the result open on `statement` into the rows newRow() adds, one value per column
// of the type in `types` (what Qt's driver would have made of it). Text is read as
// UTF-16 whatever its length: Qt's driver reads FreeTDS's text as UTF-8 in pieces as
// long as the column is declared wide, and loses a Chinese text longer than a third of
// that. Returns the driver's diagnostics when a fetch or a read fails, else nothing.
std::vector<OdbcDiagnostic> readOdbcRows(SQLHSTMT statement, const std::vector<int> &sqlTypes,
                                         const std::vector<QMetaType::Type> &types,
                                         const std::function<QVariant *()> &newRow);

// The same rows into a typed table whose columns, named `names`, take the kinds their SQL
// types give: text (read as above) kept as UTF-8, whole numbers and flags as integers,
// decimals from the driver's digits (exact), dates and times as numbers; no QVariant and
// no QString per value.
std::vector<OdbcDiagnostic> readOdbcTable(SQLHSTMT statement, const QStringList &names, const std::vector<int> &sqlTypes,
                                          ResultTableBuilder &into);

} // namespace db
