// Answers the TDS test server with what the program's T-SQL adapter makes of a text, so
// that the server runs SQL Server's statements on SQLite exactly as the embedded backend
// does. Requests and answers go through stdin / stdout until stdin ends:
//   request: 'S' (split a batch into its statements, unchanged) or 'A' (adapt one
//            statement), a 4-byte big-endian length, the UTF-8 text;
//   answer:  'O', a 4-byte count, then each statement as a 4-byte length and UTF-8;
//            or 'E', a 4-byte length and the UTF-8 message of the refusal.
#include "platform/db/DbError.h"
#include "platform/db/TsqlAdapter.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

bool readExact(std::string &into, std::size_t size)
{
    into.resize(size);
    return size == 0 || std::fread(into.data(), 1, size, stdin) == size;
}

bool readLength(std::uint32_t &length)
{
    unsigned char bytes[4];
    if (std::fread(bytes, 1, 4, stdin) != 4)
        return false;
    length = (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) | bytes[3];
    return true;
}

void writeLength(std::uint32_t length)
{
    const unsigned char bytes[4] = {static_cast<unsigned char>(length >> 24), static_cast<unsigned char>(length >> 16),
                                    static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)};
    std::fwrite(bytes, 1, 4, stdout);
}

void writeText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    writeLength(static_cast<std::uint32_t>(utf8.size()));
    std::fwrite(utf8.constData(), 1, static_cast<std::size_t>(utf8.size()), stdout);
}

void answer(char request, const QString &text)
{
    try {
        const QStringList statements = request == 'S' ? db::TsqlAdapter::splitStatements(text)
                                                       : db::TsqlAdapter::toSqlite(text);
        std::fputc('O', stdout);
        writeLength(static_cast<std::uint32_t>(statements.size()));
        for (const QString &statement : statements)
            writeText(statement);
    } catch (const db::DbError &error) {
        std::fputc('E', stdout);
        writeText(error.description());
    }
    std::fflush(stdout);
}

} // namespace

int main()
{
    for (;;) {
        const int request = std::fgetc(stdin);
        std::uint32_t length = 0;
        std::string text;
        if (request == EOF || !readLength(length) || !readExact(text, length))
            return 0;
        answer(static_cast<char>(request), QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
}
