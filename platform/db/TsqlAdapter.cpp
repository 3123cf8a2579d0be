#include "platform/db/TsqlAdapter.h"

#include "platform/db/DbError.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>

#include <optional>
#include <vector>

namespace db {
namespace {

// ---------------------------------------------------------------- tokens

enum class Kind { Space, Comment, Word, Number, String, Quoted, Punct, Raw };

struct Token
{
    Kind kind;
    QString text;
};

using Tokens = std::vector<Token>;

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#')
        || c.unicode() >= 0x80;
}

bool isWordChar(QChar c)
{
    return isWordStart(c) || c.isDigit() || c == QLatin1Char('$');
}

// Splits T-SQL text into tokens. For SQLite, N'...' becomes a plain string literal
// and a [bracketed] name a "quoted" one; otherwise every token keeps its text.
Tokens tokenize(const QString &sql, bool forSqlite)
{
    Tokens out;
    const int n = sql.size();
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        const int start = i;
        if (c.isSpace()) {
            while (i < n && sql[i].isSpace())
                ++i;
            out.push_back({Kind::Space, sql.mid(start, i - start)});
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            out.push_back({Kind::Comment, sql.mid(start, i - start)});
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            // Block comments nest on SQL Server: /* a /* b */ c */ is one comment.
            int nesting = 0;
            while (i < n) {
                if (sql[i] == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
                    ++nesting;
                    i += 2;
                } else if (sql[i] == QLatin1Char('*') && i + 1 < n && sql[i + 1] == QLatin1Char('/')) {
                    i += 2;
                    if (--nesting == 0)
                        break;
                } else {
                    ++i;
                }
            }
            out.push_back({Kind::Comment, sql.mid(start, i - start)});
        } else if (c == QLatin1Char('\'')
                   || ((c == QLatin1Char('N') || c == QLatin1Char('n')) && i + 1 < n
                       && sql[i + 1] == QLatin1Char('\''))) {
            if (c != QLatin1Char('\''))
                ++i; // the N of a Unicode literal
            const int quote = i++;
            while (i < n) {
                if (sql[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && sql[i + 1] == QLatin1Char('\'')) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.push_back({Kind::String, sql.mid(forSqlite ? quote : start, i - (forSqlite ? quote : start))});
        } else if (c == QLatin1Char('[')) {
            const int end = sql.indexOf(QLatin1Char(']'), i + 1);
            i = end < 0 ? n : end + 1;
            QString name = sql.mid(start + 1, i - start - 2);
            name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            out.push_back({Kind::Quoted, forSqlite ? QLatin1Char('"') + name + QLatin1Char('"') : sql.mid(start, i - start)});
        } else if (c == QLatin1Char('"')) {
            ++i;
            while (i < n && sql[i] != QLatin1Char('"'))
                ++i;
            i = qMin(n, i + 1);
            out.push_back({Kind::Quoted, sql.mid(start, i - start)});
        } else if (c.isDigit()) {
            while (i < n && (sql[i].isDigit() || sql[i] == QLatin1Char('.')))
                ++i;
            out.push_back({Kind::Number, sql.mid(start, i - start)});
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(sql[i]))
                ++i;
            out.push_back({Kind::Word, sql.mid(start, i - start)});
        } else {
            static const QStringList twoChar = {QStringLiteral("<="), QStringLiteral(">="),
                                                QStringLiteral("<>"), QStringLiteral("!="),
                                                QStringLiteral("||")};
            const QString pair = sql.mid(i, 2);
            i += twoChar.contains(pair) ? 2 : 1;
            out.push_back({Kind::Punct, sql.mid(start, i - start)});
        }
    }
    return out;
}

QString joinText(const Tokens &tokens, size_t from = 0, size_t to = SIZE_MAX)
{
    QString text;
    to = qMin(to, tokens.size());
    for (size_t i = from; i < to; ++i)
        text += tokens[i].text;
    return text;
}

bool isSignificant(const Token &t)
{
    return t.kind != Kind::Space && t.kind != Kind::Comment;
}

bool isWord(const Token &t, const char *word)
{
    return t.kind == Kind::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isPunct(const Token &t, const char *p)
{
    return t.kind == Kind::Punct && t.text == QLatin1String(p);
}

// Index of the next significant token after i, or tokens.size().
size_t nextSignificant(const Tokens &tokens, size_t i)
{
    for (++i; i < tokens.size(); ++i)
        if (isSignificant(tokens[i]))
            return i;
    return tokens.size();
}

// Index of the last significant token before i, or tokens.size().
size_t previousSignificant(const Tokens &tokens, size_t i)
{
    while (i-- > 0)
        if (isSignificant(tokens[i]))
            return i;
    return tokens.size();
}

// Index of the parenthesis that closes the one at open, or tokens.size().
size_t matchingParen(const Tokens &tokens, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < tokens.size(); ++i) {
        if (isPunct(tokens[i], "("))
            ++depth;
        else if (isPunct(tokens[i], ")") && --depth == 0)
            return i;
    }
    return tokens.size();
}

// Nesting depth before each token (parentheses only; raw tokens are opaque).
std::vector<int> depths(const Tokens &tokens)
{
    std::vector<int> d(tokens.size());
    int depth = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (isPunct(tokens[i], ")"))
            --depth;
        d[i] = depth;
        if (isPunct(tokens[i], "("))
            ++depth;
    }
    return d;
}

void replaceRange(Tokens &tokens, size_t from, size_t to, const QString &raw)
{
    tokens.erase(tokens.begin() + from, tokens.begin() + to);
    tokens.insert(tokens.begin() + from, Token{Kind::Raw, raw});
}

// A construct SQLite cannot run with SQL Server's meaning is refused rather than run
// as something else.
[[noreturn]] void refuse(const QString &construct)
{
    throw DbError(QStringLiteral("SQLite 后端无法转换的语句结构：%1").arg(construct));
}

// ---------------------------------------------------------------- batches

bool isStatementKeyword(const Token &t)
{
    return isWord(t, "select") || isWord(t, "insert") || isWord(t, "update") || isWord(t, "delete");
}

// Splits a batch at every statement start outside strings and parentheses.
// The SELECT that feeds an INSERT and the SELECT after UNION stay in their statement.
std::vector<Tokens> splitBatch(const Tokens &tokens)
{
    std::vector<Tokens> statements;
    Tokens current;
    int depth = 0;
    bool insertWaitsForBody = false;
    std::optional<Token> previous; // the last significant token of the current statement
    bool hasContent = false;

    auto finish = [&] {
        if (hasContent)
            statements.push_back(current);
        current.clear();
        hasContent = false;
        insertWaitsForBody = false;
        previous.reset();
    };

    for (const Token &t : tokens) {
        if (isPunct(t, "("))
            ++depth;
        else if (isPunct(t, ")"))
            --depth;
        if (depth == 0 && isPunct(t, ";")) {
            finish();
            continue;
        }
        if (depth == 0 && isStatementKeyword(t)) {
            bool startsNew = hasContent;
            if (isWord(t, "select")) {
                if (insertWaitsForBody) {
                    startsNew = false;
                    insertWaitsForBody = false;
                }
                if (previous
                    && (isWord(*previous, "union") || isWord(*previous, "all")
                        || isWord(*previous, "except") || isWord(*previous, "intersect")))
                    startsNew = false;
            }
            if (startsNew)
                finish();
            if (isWord(t, "insert"))
                insertWaitsForBody = true;
        }
        if (depth == 0 && isWord(t, "values"))
            insertWaitsForBody = false;
        current.push_back(t);
        if (isSignificant(t)) {
            hasContent = true;
            previous = t;
        }
    }
    finish();
    return statements;
}

// ---------------------------------------------------------------- functions

// Whether tokens[i] calls the function name; gives the positions of its parentheses.
bool findCall(const Tokens &tokens, size_t i, const char *name, size_t &open, size_t &close)
{
    if (!isWord(tokens[i], name))
        return false;
    open = nextSignificant(tokens, i);
    if (open >= tokens.size() || !isPunct(tokens[open], "("))
        return false;
    close = matchingParen(tokens, open);
    return close < tokens.size();
}

// len(x) counts characters without trailing blanks on SQL Server.
void rewriteLen(Tokens &tokens)
{
    size_t open = 0, close = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!findCall(tokens, i, "len", open, close))
            continue;
        tokens[i].text = QStringLiteral("length");
        tokens[open] = Token{Kind::Raw, QStringLiteral("(rtrim(")};
        tokens[close] = Token{Kind::Raw, QStringLiteral("))")};
    }
}

// A date (and time) written as a literal in a year-first form, read as year, month,
// day: yyyy-mm-dd, yyyy.mm.dd, yyyy/mm/dd or yyyymmdd, with or without a time
// hh:mm[:ss]. Invalid dates give none.
struct DateLiteral
{
    QDate date;
    int hour = 0, minute = 0, second = 0;
    bool hasTime = false;
};

std::optional<DateLiteral> dateLiteral(const QString &literal)
{
    static const QRegularExpression form(QStringLiteral(
        "^'(\\d{4})(?:[-./](\\d{1,2})[-./](\\d{1,2})|(\\d{2})(\\d{2}))"
        "(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?'$"));
    const auto m = form.match(literal.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    DateLiteral d;
    const bool separated = !m.captured(2).isEmpty();
    d.date = QDate(m.captured(1).toInt(), m.captured(separated ? 2 : 4).toInt(), m.captured(separated ? 3 : 5).toInt());
    d.hasTime = !m.captured(6).isEmpty();
    d.hour = m.captured(6).toInt();
    d.minute = m.captured(7).toInt();
    d.second = m.captured(8).toInt();
    if (!d.date.isValid() || d.hour > 23 || d.minute > 59 || d.second > 59)
        return std::nullopt;
    return d;
}

// The ISO text the embedded database stores dates as: the date alone when the
// literal has no time.
QString isoText(const QDate &date, int hour, int minute, int second, bool withTime)
{
    QString text = date.toString(QStringLiteral("yyyy-MM-dd"));
    if (withTime)
        text += QStringLiteral(" %1:%2:%3")
                    .arg(hour, 2, 10, QLatin1Char('0'))
                    .arg(minute, 2, 10, QLatin1Char('0'))
                    .arg(second, 2, 10, QLatin1Char('0'));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

bool isStringLiteral(const QString &text)
{
    static const QRegularExpression literal(QStringLiteral("^'(?:[^']|'')*'$"));
    return literal.match(text).hasMatch();
}

// Arguments of the call whose "(" is at open, split at its own commas.
std::vector<QString> callArguments(const Tokens &tokens, size_t open, size_t close)
{
    std::vector<QString> args(1);
    int depth = 0;
    for (size_t i = open + 1; i < close; ++i) {
        if (isPunct(tokens[i], "("))
            ++depth;
        else if (isPunct(tokens[i], ")"))
            --depth;
        if (depth == 0 && isPunct(tokens[i], ",")) {
            args.emplace_back();
            continue;
        }
        args.back() += tokens[i].text;
    }
    for (QString &a : args)
        a = a.trimmed();
    return args;
}

// The text of a value converted to CHAR/NCHAR (fixed, padded with blanks) or
// VARCHAR/NVARCHAR of a length, as SQL Server cuts and pads it. natural is the
// length the text is known to have, -1 when it depends on the value.
QString fittedText(const QString &text, int natural, int size, bool fixed, bool unlimited)
{
    if (unlimited || natural == size || (!fixed && natural >= 0 && natural < size))
        return text;
    // One arg() call, so that a "%1" in the text itself is left alone.
    if (natural > size || !fixed)
        return QStringLiteral("substr(%1, 1, %2)").arg(text, QString::number(size));
    return QStringLiteral("substr(%1 || '%2', 1, %3)").arg(text, QString(size, QLatin1Char(' ')), QString::number(size));
}

[[noreturn]] void refuseConversion(const QString &type, const QString &value, const QString &style)
{
    refuse(QStringLiteral("CONVERT(%1, %2%3)").arg(type, value, style.isEmpty() ? QString() : QStringLiteral(", ") + style));
}

// CONVERT(type, value[, style]) as SQLite computes it, or a refusal when SQLite has
// no conversion of the same meaning. Values of date columns are ISO text.
QString sqliteConvert(const std::vector<QString> &args)
{
    const QString typeText = args.empty() ? QString() : args[0].simplified().toUpper();
    const QString value = args.size() > 1 ? args[1] : QString();
    const QString style = args.size() > 2 ? args[2] : QString();
    auto refuseConvert = [&](const QString &shownValue) { refuseConversion(typeText, shownValue, style); };
    static const QRegularExpression typeForm(QStringLiteral("^([A-Z_][A-Z0-9_]*)(?:\\((\\d+|MAX)(?:,(\\d+))?\\))?$"));
    QString compact = typeText;
    compact.remove(QLatin1Char(' '));
    const auto type = typeForm.match(compact);
    if (args.size() < 2 || args.size() > 3 || !type.hasMatch())
        refuseConvert(QStringLiteral("…"));
    const QString name = type.captured(1);
    const QString length = type.captured(2);
    const bool hasScale = !type.captured(3).isEmpty();
    const bool literal = isStringLiteral(value);

    if (name == QLatin1String("DATETIME") || name == QLatin1String("DATE") || name == QLatin1String("SMALLDATETIME")) {
        // Styles that read a year-first date the way it is written.
        static const QStringList yearFirst = {QString(), QStringLiteral("20"), QStringLiteral("21"), QStringLiteral("23"),
                                              QStringLiteral("102"), QStringLiteral("111"), QStringLiteral("112"),
                                              QStringLiteral("120"), QStringLiteral("121"), QStringLiteral("126")};
        if (!length.isEmpty() || !yearFirst.contains(style))
            refuseConvert(QStringLiteral("…"));
        if (literal) {
            const auto d = dateLiteral(value);
            if (!d)
                refuseConvert(value);
            if (name == QLatin1String("DATE"))
                return isoText(d->date, 0, 0, 0, false);
            if (name == QLatin1String("SMALLDATETIME") && d->second >= 30) {
                // SMALLDATETIME keeps minutes, rounding half a minute up.
                const QDateTime rounded = QDateTime(d->date, QTime(d->hour, d->minute)).addSecs(60);
                return isoText(rounded.date(), rounded.time().hour(), rounded.time().minute(), 0, true);
            }
            return isoText(d->date, d->hour, d->minute, name == QLatin1String("SMALLDATETIME") ? 0 : d->second, d->hasTime);
        }
        if (name == QLatin1String("DATE"))
            return QStringLiteral("date(%1)").arg(value);
        if (name == QLatin1String("SMALLDATETIME"))
            refuseConvert(QStringLiteral("…")); // the seconds of a stored time would have to be rounded away
        return value;
    }

    if (name == QLatin1String("CHAR") || name == QLatin1String("VARCHAR") || name == QLatin1String("NCHAR")
        || name == QLatin1String("NVARCHAR")) {
        const bool fixed = !name.contains(QLatin1String("VAR"));
        const int maxSize = name.startsWith(QLatin1Char('N')) ? 4000 : 8000;
        int size = 30; // CONVERT's length when none is given
        const bool unlimited = length == QLatin1String("MAX");
        if ((unlimited && fixed) || hasScale)
            refuseConvert(QStringLiteral("…"));
        if (!length.isEmpty() && !unlimited) {
            size = length.toInt();
            if (size < 1 || size > maxSize)
                refuseConvert(QStringLiteral("…"));
        }
        if (literal) // text converted to text: the style does not apply
            return fittedText(value, int(value.size() - 2 - value.count(QStringLiteral("''"))), size, fixed, unlimited);
        if (style.isEmpty())
            return fittedText(QStringLiteral("CAST(%1 AS TEXT)").arg(value), -1, size, fixed, unlimited);
        // Date and time styles: the text of a date or time value, of a known length.
        struct Format
        {
            const char *pattern;
            int length;
        };
        static const QHash<QString, Format> formats = {
            {QStringLiteral("112"), {"%Y%m%d", 8}},           {QStringLiteral("23"), {"%Y-%m-%d", 10}},
            {QStringLiteral("102"), {"%Y.%m.%d", 10}},        {QStringLiteral("111"), {"%Y/%m/%d", 10}},
            {QStringLiteral("120"), {"%Y-%m-%d %H:%M:%S", 19}}, {QStringLiteral("20"), {"%Y-%m-%d %H:%M:%S", 19}},
            {QStringLiteral("108"), {"%H:%M:%S", 8}},         {QStringLiteral("8"), {"%H:%M:%S", 8}}};
        const auto format = formats.constFind(style);
        if (format == formats.constEnd())
            refuseConvert(QStringLiteral("…"));
        return fittedText(QStringLiteral("strftime('%1', %2)").arg(QLatin1String(format->pattern), value), format->length,
                          size, fixed, unlimited);
    }

    // Whole numbers and FLOAT of a number or of numeric text: SQLite's CAST gives SQL
    // Server's result (a fraction is cut toward zero by both).
    if (name == QLatin1String("INT") || name == QLatin1String("BIGINT") || name == QLatin1String("SMALLINT")
        || name == QLatin1String("TINYINT")) {
        if (!length.isEmpty() || !style.isEmpty())
            refuseConvert(QStringLiteral("…"));
        return QStringLiteral("CAST(%1 AS INTEGER)").arg(value);
    }
    if (name == QLatin1String("FLOAT")) {
        // FLOAT(1) to FLOAT(24) is single precision, which SQLite does not have.
        if (!style.isEmpty() || hasScale || (!length.isEmpty() && (length == QLatin1String("MAX") || length.toInt() < 25 || length.toInt() > 53)))
            refuseConvert(QStringLiteral("…"));
        return QStringLiteral("CAST(%1 AS REAL)").arg(value);
    }
    // DECIMAL, NUMERIC and MONEY round to their scale and show it; REAL is single
    // precision; the other types have no SQLite counterpart.
    refuseConvert(QStringLiteral("…"));
    return QString();
}

void rewriteConvert(Tokens &tokens)
{
    size_t open = 0, close = 0;
    for (size_t i = tokens.size(); i-- > 0;) {
        if (!findCall(tokens, i, "convert", open, close))
            continue;
        replaceRange(tokens, i, close + 1, sqliteConvert(callArguments(tokens, open, close)));
    }
}

// ---------------------------------------------------------------- clauses

bool isClauseEnd(const Token &t)
{
    static const char *ends[] = {"where", "group", "having", "order", "union", "limit", "except", "intersect"};
    for (const char *e : ends)
        if (isWord(t, e))
            return true;
    return isPunct(t, ";");
}

// End (exclusive) of the clause that starts after position start at depth d.
size_t clauseEnd(const Tokens &tokens, const std::vector<int> &d, size_t start)
{
    const int depth = d[start];
    for (size_t i = start + 1; i < tokens.size(); ++i) {
        if (d[i] < depth)
            return i;
        if (d[i] == depth && isClauseEnd(tokens[i]))
            return i;
    }
    return tokens.size();
}

// The pieces of a FROM clause at one depth: table operands, join operators, ON
// conditions and the commas of a table list.
struct FromItem
{
    enum Type { Operand, Join, On, Comma } type;
    QString text;
};

bool isJoinWord(const Token &t)
{
    return isWord(t, "inner") || isWord(t, "left") || isWord(t, "right") || isWord(t, "full")
        || isWord(t, "outer") || isWord(t, "cross") || isWord(t, "join");
}

std::vector<FromItem> fromItems(const Tokens &tokens, const std::vector<int> &d, size_t from, size_t to)
{
    std::vector<FromItem> items;
    const int depth = from < to ? d[from] : 0;
    auto current = [&](FromItem::Type type) -> FromItem & {
        if (items.empty() || items.back().type != type)
            items.push_back({type, QString()});
        return items.back();
    };
    FromItem::Type mode = FromItem::Operand;
    for (size_t i = from; i < to; ++i) {
        const Token &t = tokens[i];
        if (d[i] == depth && isJoinWord(t)) {
            if (mode != FromItem::Join)
                items.push_back({FromItem::Join, QString()});
            mode = FromItem::Join;
            items.back().text += (items.back().text.isEmpty() ? QString() : QStringLiteral(" ")) + t.text;
            if (isWord(t, "join"))
                mode = FromItem::Operand, items.push_back({FromItem::Operand, QString()});
            continue;
        }
        if (d[i] == depth && isWord(t, "on")) {
            items.push_back({FromItem::On, QString()});
            mode = FromItem::On;
            continue;
        }
        if (d[i] == depth && isPunct(t, ",")) {
            items.push_back({FromItem::Comma, QStringLiteral(",")});
            mode = FromItem::Operand;
            items.push_back({FromItem::Operand, QString()});
            continue;
        }
        if (mode == FromItem::Join && !isSignificant(t))
            continue;
        current(mode).text += t.text;
    }
    for (FromItem &item : items)
        item.text = item.text.trimmed();
    std::erase_if(items, [](const FromItem &it) { return it.type == FromItem::Operand && it.text.isEmpty(); });
    return items;
}

bool hasNestedJoin(const std::vector<FromItem> &items)
{
    int pending = 0;
    for (const FromItem &item : items) {
        if (item.type == FromItem::Join && !item.text.contains(QLatin1String("cross"), Qt::CaseInsensitive))
            ++pending;
        else if (item.type == FromItem::On)
            --pending;
        else if (item.type == FromItem::Comma)
            pending = 0;
        if (pending >= 2)
            return true;
    }
    return false;
}

// A JOIN B JOIN C ON c1 ON c2: each ON closes the innermost open join.
QString parenthesizedJoins(const std::vector<FromItem> &items)
{
    struct Entry
    {
        QString text;
        bool compound = false;
        bool isJoin = false;
    };
    std::vector<Entry> stack;
    QStringList groups;
    auto closeGroup = [&] {
        QStringList parts;
        for (const Entry &e : stack)
            parts << e.text;
        groups << parts.join(QLatin1Char(' '));
        stack.clear();
    };
    for (const FromItem &item : items) {
        switch (item.type) {
        case FromItem::Operand:
            stack.push_back({item.text});
            break;
        case FromItem::Join:
            stack.push_back({item.text, false, true});
            break;
        case FromItem::On:
            if (stack.size() >= 3 && stack[stack.size() - 2].isJoin) {
                const Entry right = stack.back();
                stack.pop_back();
                const Entry op = stack.back();
                stack.pop_back();
                const Entry left = stack.back();
                stack.pop_back();
                const QString r = right.compound ? QLatin1Char('(') + right.text + QLatin1Char(')') : right.text;
                stack.push_back({left.text + QLatin1Char(' ') + op.text + QLatin1Char(' ') + r
                                     + QStringLiteral(" ON ") + item.text,
                                 true});
            } else {
                stack.push_back({QStringLiteral("ON ") + item.text});
            }
            break;
        case FromItem::Comma:
            closeGroup();
            break;
        }
    }
    closeGroup();
    return groups.join(QStringLiteral(", "));
}

// ---------------------------------------------------------------- select list

// The items of the statement's top-level select list (the positions of their
// significant tokens, DISTINCT left out) and where the list ends.
struct SelectList
{
    std::vector<std::vector<size_t>> items;
    size_t end = 0;
};

SelectList topLevelSelectList(const Tokens &tokens, const std::vector<int> &d)
{
    SelectList list;
    size_t i = 0;
    while (i < tokens.size() && !(d[i] == 0 && isWord(tokens[i], "select")))
        ++i;
    list.end = tokens.size();
    if (i == tokens.size())
        return list;
    std::vector<size_t> item;
    for (++i; i < tokens.size(); ++i) {
        if (d[i] == 0 && (isWord(tokens[i], "from") || isWord(tokens[i], "into")))
            break;
        if (d[i] == 0 && isPunct(tokens[i], ",")) {
            list.items.push_back(std::move(item));
            item.clear();
            continue;
        }
        if (isSignificant(tokens[i]) && !(item.empty() && list.items.empty()
                                          && (isWord(tokens[i], "distinct") || isWord(tokens[i], "all"))))
            item.push_back(i);
    }
    list.items.push_back(std::move(item));
    list.end = i;
    return list;
}

// table.column, without an alias.
bool isQualifiedColumn(const Tokens &tokens, const std::vector<size_t> &item)
{
    return item.size() == 3 && tokens[item[0]].kind == Kind::Word && isPunct(tokens[item[1]], ".")
        && tokens[item[2]].kind == Kind::Word;
}

// ---------------------------------------------------------------- nested joins

// Returns whether a FROM clause at the statement's top level was rewritten.
bool rewriteNestedJoins(Tokens &tokens)
{
    bool topLevel = false;
    std::vector<int> d = depths(tokens);
    for (size_t i = tokens.size(); i-- > 0;) {
        if (!isWord(tokens[i], "from"))
            continue;
        d = depths(tokens);
        const size_t end = clauseEnd(tokens, d, i);
        const auto items = fromItems(tokens, d, i + 1, end);
        if (!hasNestedJoin(items))
            continue;
        topLevel = topLevel || d[i] == 0;
        replaceRange(tokens, i + 1, end, QLatin1Char(' ') + parenthesizedJoins(items) + QLatin1Char(' '));
    }
    return topLevel;
}

// SQLite names the columns of a parenthesized join after deduplicating them inside
// it ("核销日期:1"); SQL Server names a selected column by its own name. Qualified
// columns of the select list get their bare name as alias.
void aliasQualifiedColumns(Tokens &tokens)
{
    const size_t first = nextSignificant(tokens, SIZE_MAX);
    if (first >= tokens.size() || !isWord(tokens[first], "select"))
        return;
    for (const auto &item : topLevelSelectList(tokens, depths(tokens)).items)
        if (isQualifiedColumn(tokens, item))
            tokens[item[2]].text += QStringLiteral(" AS \"") + tokens[item[2]].text + QLatin1Char('"');
}

// ---------------------------------------------------------------- TOP n

bool isSetOperator(const Token &t)
{
    return isWord(t, "union") || isWord(t, "except") || isWord(t, "intersect");
}

// A row count SQLite's LIMIT takes as TOP does: a whole number.
bool isRowCount(const Token &t)
{
    if (t.kind != Kind::Number)
        return false;
    for (const QChar c : t.text)
        if (!c.isDigit())
            return false;
    return true;
}

// SELECT [DISTINCT|ALL] TOP n | TOP (n)  ->  the same select with LIMIT n at its end.
void rewriteTop(Tokens &tokens)
{
    for (size_t k = 0; k < tokens.size(); ++k) {
        if (!isWord(tokens[k], "top"))
            continue;
        size_t select = previousSignificant(tokens, k);
        if (select < tokens.size() && (isWord(tokens[select], "distinct") || isWord(tokens[select], "all")))
            select = previousSignificant(tokens, select);
        if (select >= tokens.size())
            continue;
        if (isWord(tokens[select], "update") || isWord(tokens[select], "delete") || isWord(tokens[select], "insert"))
            refuse(tokens[select].text.toUpper() + QStringLiteral(" TOP"));
        if (!isWord(tokens[select], "select"))
            continue;

        size_t count = nextSignificant(tokens, k);
        size_t last = count; // the last token of "TOP n" or "TOP (n)"
        if (count < tokens.size() && isPunct(tokens[count], "(")) {
            last = matchingParen(tokens, count);
            count = nextSignificant(tokens, count);
            if (last >= tokens.size() || count >= last || nextSignificant(tokens, count) != last)
                refuse(QStringLiteral("TOP (表达式)"));
        }
        if (count >= tokens.size() || !isRowCount(tokens[count]))
            refuse(QStringLiteral("TOP (表达式)"));
        const size_t after = nextSignificant(tokens, last);
        if (after < tokens.size() && isWord(tokens[after], "percent"))
            refuse(QStringLiteral("TOP n PERCENT"));
        if (after < tokens.size() && isWord(tokens[after], "with")) {
            const size_t ties = nextSignificant(tokens, after);
            if (ties < tokens.size() && isWord(tokens[ties], "ties"))
                refuse(QStringLiteral("TOP n WITH TIES"));
        }

        // The select ends where its parentheses close. In a UNION, TOP limits one
        // select but LIMIT the whole compound, so that is refused.
        const std::vector<int> d = depths(tokens);
        size_t begin = select;
        while (begin > 0 && d[begin - 1] >= d[select])
            --begin;
        size_t end = tokens.size();
        for (size_t j = select + 1; j < tokens.size(); ++j)
            if (d[j] < d[select]) {
                end = j;
                break;
            }
        for (size_t j = begin; j < end; ++j)
            if (d[j] == d[select] && isSetOperator(tokens[j]))
                refuse(QStringLiteral("TOP 与 UNION/EXCEPT/INTERSECT 同用"));

        tokens.insert(tokens.begin() + end, Token{Kind::Raw, QStringLiteral(" LIMIT ") + tokens[count].text});
        size_t eraseEnd = last + 1;
        if (eraseEnd < tokens.size() && tokens[eraseEnd].kind == Kind::Space)
            ++eraseEnd; // the blank after "TOP n" goes with it
        tokens.erase(tokens.begin() + k, tokens.begin() + eraseEnd);
    }
}

// ---------------------------------------------------------------- ORDER BY

// SQL Server resolves a bare ORDER BY name against the select list first; SQLite
// reports it ambiguous when two joined tables have that column. Qualify such names
// with the table the select list takes them from.
void qualifyOrderBy(Tokens &tokens)
{
    const std::vector<int> d = depths(tokens);
    const SelectList list = topLevelSelectList(tokens, d);
    QHash<QString, QString> qualified;
    for (const auto &item : list.items)
        if (isQualifiedColumn(tokens, item))
            qualified.insert(tokens[item[2]].text.toLower(), tokens[item[0]].text + QLatin1Char('.') + tokens[item[2]].text);
    if (qualified.isEmpty())
        return;

    size_t i = list.end;
    for (; i + 1 < tokens.size(); ++i) {
        if (d[i] != 0 || !isWord(tokens[i], "order"))
            continue;
        const size_t by = nextSignificant(tokens, i);
        if (by >= tokens.size() || !isWord(tokens[by], "by"))
            return;
        std::vector<size_t> term;
        auto qualifyTerm = [&] {
            const bool bare = !term.empty() && tokens[term[0]].kind == Kind::Word
                && (term.size() == 1
                    || (term.size() == 2 && (isWord(tokens[term[1]], "asc") || isWord(tokens[term[1]], "desc"))));
            if (bare) {
                const auto it = qualified.constFind(tokens[term[0]].text.toLower());
                if (it != qualified.constEnd())
                    tokens[term[0]].text = *it;
            }
            term.clear();
        };
        for (size_t j = by + 1; j < tokens.size(); ++j) {
            if (d[j] == 0 && isPunct(tokens[j], ",")) {
                qualifyTerm();
                continue;
            }
            if (d[j] == 0 && (isWord(tokens[j], "limit") || tokens[j].kind == Kind::Raw))
                break;
            if (isSignificant(tokens[j]))
                term.push_back(j);
        }
        qualifyTerm();
        return;
    }
}

// ---------------------------------------------------------------- table sources

bool isName(const Token &t)
{
    return t.kind == Kind::Word || t.kind == Kind::Quoted;
}

// A name as compared: without its quotes, in lower case.
QString bareName(const QString &name)
{
    QString bare = name.trimmed();
    if (bare.size() >= 2 && bare.startsWith(QLatin1Char('"')) && bare.endsWith(QLatin1Char('"')))
        bare = bare.mid(1, bare.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return bare.toLower();
}

// One table of a FROM clause: a table name (possibly schema.table) or a derived
// table, with its alias.
struct TableSource
{
    QString table; // as written; empty for a derived table
    QString tableName; // its last part
    QString alias;
    // The name the statement refers to it by.
    QString exposed() const { return alias.isEmpty() ? tableName : alias; }
    bool derived() const { return table.isEmpty(); }
};

std::optional<TableSource> tableSource(const QString &text)
{
    Tokens t;
    for (const Token &token : tokenize(text, false))
        if (isSignificant(token))
            t.push_back(token);
    TableSource source;
    size_t i = 0;
    if (!t.empty() && isPunct(t[0], "(")) {
        i = matchingParen(t, 0) + 1;
    } else if (!t.empty() && isName(t[0])) {
        source.table = source.tableName = t[0].text;
        for (i = 1; i + 1 < t.size() && isPunct(t[i], ".") && isName(t[i + 1]); i += 2) {
            source.table += QLatin1Char('.') + t[i + 1].text;
            source.tableName = t[i + 1].text;
        }
    } else {
        return std::nullopt;
    }
    if (i < t.size() && isWord(t[i], "as"))
        ++i;
    if (i < t.size() && isName(t[i]))
        source.alias = t[i++].text;
    if (i != t.size() || (source.derived() && source.alias.isEmpty()))
        return std::nullopt;
    return source;
}

// The tables of a FROM clause, in order; statement names the statement in a refusal.
std::vector<TableSource> tableSources(const std::vector<FromItem> &items, const QString &statement)
{
    std::vector<TableSource> sources;
    for (const FromItem &item : items) {
        if (item.type != FromItem::Operand)
            continue;
        const auto source = tableSource(item.text);
        if (!source)
            refuse(statement + QStringLiteral(" … FROM 中无法识别的表源：") + item.text);
        sources.push_back(*source);
    }
    return sources;
}

// Which table of the FROM clause is the statement's target: the one the target names
// by the name it is exposed as, else the only one of the target's table; -1 when
// the target is not in the FROM clause.
int targetSource(const std::vector<TableSource> &sources, const QString &target, const QString &statement)
{
    const QString name = bareName(target);
    std::vector<int> byExposed, byTable;
    for (size_t i = 0; i < sources.size(); ++i) {
        if (bareName(sources[i].exposed()) == name)
            byExposed.push_back(int(i));
        else if (!sources[i].derived() && bareName(sources[i].tableName) == name)
            byTable.push_back(int(i));
    }
    if (byExposed.size() > 1 || (byExposed.empty() && byTable.size() > 1))
        refuse(statement + QStringLiteral(" … FROM 中目标表出现多次"));
    const int at = !byExposed.empty() ? byExposed.front() : !byTable.empty() ? byTable.front() : -1;
    if (at >= 0 && sources[at].derived())
        refuse(statement + QStringLiteral(" … FROM 的目标为派生表"));
    return at;
}

enum class JoinKind { Inner, Left, Right, Full, Cross, Other };

JoinKind joinKind(const FromItem &item)
{
    if (item.type == FromItem::Comma)
        return JoinKind::Cross;
    bool left = false, right = false, full = false, cross = false;
    for (const QString &word : item.text.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word == QLatin1String("left"))
            left = true;
        else if (word == QLatin1String("right"))
            right = true;
        else if (word == QLatin1String("full"))
            full = true;
        else if (word == QLatin1String("cross"))
            cross = true;
        else if (word != QLatin1String("inner") && word != QLatin1String("outer") && word != QLatin1String("join"))
            return JoinKind::Other;
    }
    return full ? JoinKind::Full : left ? JoinKind::Left : right ? JoinKind::Right : cross ? JoinKind::Cross : JoinKind::Inner;
}

// The FROM clause as SQLite reads it.
QString sqliteFromText(const Tokens &tokens, const std::vector<FromItem> &items, size_t from, size_t end)
{
    return hasNestedJoin(items) ? parenthesizedJoins(items) : joinText(tokens, from, end).trimmed();
}

// ---------------------------------------------------------------- HAVING on grouping columns

// A condition of HAVING that compares a grouping column with constants is moved into
// WHERE, as SQL Server's optimizer applies it: the rows are filtered before they are
// grouped, so an index on the column can find them and no other group is built.
// SQLite makes that move itself only for columns of binary collation; the text columns
// here compare with trailing blanks ignored (collate rtrim), which it leaves alone.
//
// The meaning is the same: the rows of one group hold values of the column that are
// equal under the column's collation, and a comparison of the column with constants
// uses that collation and the column's affinity, so it is true for every row of a group
// or for none. Filtering the rows first leaves exactly the groups HAVING keeps, each
// with all of its rows. So only these conditions move, each a conjunct of HAVING:
//   col {= | <> | != | < | > | <= | >=} const   (or const op col)
//   col IS [NOT] NULL,  col [NOT] IN (const, ...),  col [NOT] BETWEEN const AND const
// where col is written exactly as a GROUP BY term that is a plain column and is no
// alias of the select list, and const is a string or number literal. Anything else
// (aggregates, functions, other columns, OR, NOT, subqueries, COLLATE) stays, and so
// does every condition of a GROUP BY with ALL, ROLLUP, CUBE or GROUPING SETS, whose
// groups are not the rows' values alone.

using Positions = std::vector<size_t>;

// The significant tokens of [from, to).
Positions significantIn(const Tokens &tokens, size_t from, size_t to)
{
    Positions out;
    for (size_t i = from; i < to && i < tokens.size(); ++i)
        if (isSignificant(tokens[i]))
            out.push_back(i);
    return out;
}

// A plain column, "name" or "table.name", as compared; empty when the tokens are not one.
QString columnKey(const Tokens &tokens, const Positions &p, size_t from, size_t to)
{
    auto isColumnName = [&](size_t k) {
        return isName(tokens[p[k]]) && !tokens[p[k]].text.startsWith(QLatin1Char('@'));
    };
    if (to - from == 1 && isColumnName(from))
        return bareName(tokens[p[from]].text);
    if (to - from == 3 && isColumnName(from) && isPunct(tokens[p[from + 1]], ".") && isColumnName(from + 2))
        return bareName(tokens[p[from]].text) + QLatin1Char('.') + bareName(tokens[p[from + 2]].text);
    return QString();
}

// A string or number literal (a number with its sign) at p[at]; the position after it, or 0.
size_t literalEnd(const Tokens &tokens, const Positions &p, size_t at, size_t to)
{
    if (at >= to)
        return 0;
    if (tokens[p[at]].kind == Kind::String || tokens[p[at]].kind == Kind::Number)
        return at + 1;
    if ((isPunct(tokens[p[at]], "-") || isPunct(tokens[p[at]], "+")) && at + 1 < to && tokens[p[at + 1]].kind == Kind::Number)
        return at + 2;
    return 0;
}

// The column a movable condition compares, or empty when the condition has another form.
QString comparedColumn(const Tokens &tokens, const Positions &c)
{
    static const char *comparisons[] = {"=", "<>", "!=", "<", ">", "<=", ">="};
    auto isComparison = [&](size_t k) {
        for (const char *op : comparisons)
            if (isPunct(tokens[c[k]], op))
                return true;
        return false;
    };
    const size_t n = c.size();
    // The column comes first, written in one or three tokens.
    for (size_t width : {size_t(1), size_t(3)}) {
        if (width >= n)
            break;
        const QString column = columnKey(tokens, c, 0, width);
        if (column.isEmpty())
            continue;
        size_t k = width;
        if (isComparison(k) && literalEnd(tokens, c, k + 1, n) == n)
            return column;
        if (isWord(tokens[c[k]], "is")) {
            ++k;
            if (k < n && isWord(tokens[c[k]], "not"))
                ++k;
            return k + 1 == n && isWord(tokens[c[k]], "null") ? column : QString();
        }
        if (isWord(tokens[c[k]], "not"))
            ++k;
        if (k < n && isWord(tokens[c[k]], "between")) {
            const size_t low = literalEnd(tokens, c, k + 1, n);
            if (low && low < n && isWord(tokens[c[low]], "and") && literalEnd(tokens, c, low + 1, n) == n)
                return column;
            return QString();
        }
        if (k < n && isWord(tokens[c[k]], "in") && k + 1 < n && isPunct(tokens[c[k + 1]], "(") && isPunct(tokens[c[n - 1]], ")")) {
            for (size_t j = k + 2; j < n - 1;) {
                const size_t end = literalEnd(tokens, c, j, n - 1);
                if (!end)
                    return QString();
                if (end == n - 1)
                    return column;
                if (!isPunct(tokens[c[end]], ","))
                    return QString();
                j = end + 1;
            }
            return QString();
        }
    }
    // Or the constant first: const op column.
    const size_t lit = literalEnd(tokens, c, 0, n);
    if (lit && lit < n && isComparison(lit))
        return columnKey(tokens, c, lit + 1, n);
    return QString();
}

// The conditions of an AND chain, parentheses around the chain and its parts taken off.
std::vector<Positions> conjuncts(const Tokens &tokens, Positions c)
{
    while (c.size() >= 2 && isPunct(tokens[c.front()], "(") && isPunct(tokens[c.back()], ")")) {
        int depth = 0;
        bool enclosing = true;
        for (size_t k = 0; k + 1 < c.size(); ++k) {
            if (isPunct(tokens[c[k]], "("))
                ++depth;
            else if (isPunct(tokens[c[k]], ")"))
                --depth;
            if (depth == 0) {
                enclosing = false;
                break;
            }
        }
        if (!enclosing)
            break;
        c = Positions(c.begin() + 1, c.end() - 1);
    }
    std::vector<Positions> parts(1);
    int depth = 0;
    bool between = false;
    for (size_t k : c) {
        const Token &t = tokens[k];
        if (isPunct(t, "("))
            ++depth;
        else if (isPunct(t, ")"))
            --depth;
        if (depth == 0 && isWord(t, "between"))
            between = true;
        if (depth == 0 && isWord(t, "and")) {
            if (between) {
                between = false;
            } else {
                parts.emplace_back();
                continue;
            }
        }
        parts.back().push_back(k);
    }
    if (parts.size() == 1)
        return parts;
    std::vector<Positions> out;
    for (const Positions &part : parts)
        for (Positions &inner : conjuncts(tokens, part))
            out.push_back(std::move(inner));
    return out;
}

// A condition as tokens of its own, in parentheses.
Tokens parenthesized(const Tokens &tokens, const Positions &c)
{
    Tokens out{{Kind::Punct, QStringLiteral("(")}};
    out.insert(out.end(), tokens.begin() + c.front(), tokens.begin() + c.back() + 1);
    out.push_back({Kind::Punct, QStringLiteral(")")});
    return out;
}

Tokens joinedWithAnd(const Tokens &tokens, const std::vector<Positions> &conditions)
{
    Tokens out;
    for (const Positions &c : conditions) {
        if (!out.empty()) {
            out.push_back({Kind::Space, QStringLiteral(" ")});
            out.push_back({Kind::Word, QStringLiteral("AND")});
            out.push_back({Kind::Space, QStringLiteral(" ")});
        }
        const Tokens part = parenthesized(tokens, c);
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

// A HAVING already looked at is hidden from the search until the pass ends: its text
// behind this mark.
const QChar SeenMark(0x01);

// Moves the movable conditions of the HAVING clause at h; returns whether any moved.
bool moveHavingConditions(Tokens &tokens, size_t h)
{
    const std::vector<int> d = depths(tokens);
    const int depth = d[h];
    size_t select = tokens.size(), where = tokens.size(), group = tokens.size();
    for (size_t i = h; i-- > 0;) {
        if (d[i] < depth || (d[i] == depth && isSetOperator(tokens[i])))
            break;
        if (d[i] != depth)
            continue;
        if (isWord(tokens[i], "group") && group == tokens.size())
            group = i;
        else if (isWord(tokens[i], "where") && where == tokens.size())
            where = i;
        else if (isWord(tokens[i], "select")) {
            select = i;
            break;
        }
    }
    const bool hasWhere = where != tokens.size();
    if (select == tokens.size() || group == tokens.size() || (hasWhere && where > group))
        return false;
    const size_t by = nextSignificant(tokens, group);
    if (by >= h || !isWord(tokens[by], "by"))
        return false;

    // The grouping columns.
    QStringList keys;
    Positions term;
    auto addTerm = [&] {
        const QString key = columnKey(tokens, term, 0, term.size());
        if (!key.isEmpty())
            keys << key;
        term.clear();
    };
    for (size_t i : significantIn(tokens, by + 1, h)) {
        if (d[i] == depth && (isWord(tokens[i], "all") || isWord(tokens[i], "with") || isWord(tokens[i], "rollup")
                              || isWord(tokens[i], "cube") || isWord(tokens[i], "grouping")))
            return false;
        if (d[i] == depth && isPunct(tokens[i], ",")) {
            addTerm();
            continue;
        }
        term.push_back(i);
    }
    addTerm();

    // Names the select list gives its items: a bare name there means the item.
    QStringList aliases;
    {
        const Positions list = significantIn(tokens, select + 1, group);
        for (size_t k = 0; k < list.size(); ++k) {
            const size_t i = list[k];
            if (d[i] != depth || !isName(tokens[i]))
                continue;
            const bool afterAs = k > 0 && isWord(tokens[list[k - 1]], "as");
            const bool beforeEquals = k + 1 < list.size() && isPunct(tokens[list[k + 1]], "=");
            const bool closesItem = k + 1 == list.size() || isPunct(tokens[list[k + 1]], ",") || isWord(tokens[list[k + 1]], "from");
            const bool afterExpression = k > 0 && !isPunct(tokens[list[k - 1]], ",") && !isPunct(tokens[list[k - 1]], ".")
                && !isWord(tokens[list[k - 1]], "select");
            if (afterAs || beforeEquals || (closesItem && afterExpression))
                aliases << bareName(tokens[i].text);
        }
    }

    const size_t end = clauseEnd(tokens, d, h);
    std::vector<Positions> moved, kept;
    for (Positions &c : conjuncts(tokens, significantIn(tokens, h + 1, end))) {
        if (c.empty())
            return false;
        const QString column = comparedColumn(tokens, c);
        const bool movable = !column.isEmpty() && keys.contains(column) && (column.contains(QLatin1Char('.')) || !aliases.contains(column));
        (movable ? moved : kept).push_back(std::move(c));
    }
    if (moved.empty())
        return false;

    // From the end backwards, so that the positions found stay valid.
    Tokens having;
    if (!kept.empty()) {
        having.push_back({Kind::Space, QStringLiteral(" ")});
        having.push_back({Kind::Raw, SeenMark + tokens[h].text.mid(1)});
        having.push_back({Kind::Space, QStringLiteral(" ")});
        const Tokens rest = joinedWithAnd(tokens, kept);
        having.insert(having.end(), rest.begin(), rest.end());
    }
    if (end < tokens.size() && !isPunct(tokens[end], ")") && tokens[end].kind != Kind::Space)
        having.push_back({Kind::Space, QStringLiteral(" ")});
    const Tokens conditions = joinedWithAnd(tokens, moved);
    const size_t from = tokens[h - 1].kind == Kind::Space ? h - 1 : h;
    tokens.erase(tokens.begin() + from, tokens.begin() + end);
    tokens.insert(tokens.begin() + from, having.begin(), having.end());

    const size_t beforeGroup = tokens[group - 1].kind == Kind::Space ? group - 1 : group;
    Tokens added;
    if (hasWhere) {
        added = {{Kind::Punct, QStringLiteral(")")}, {Kind::Space, QStringLiteral(" ")}, {Kind::Word, QStringLiteral("AND")},
                 {Kind::Space, QStringLiteral(" ")}};
    } else {
        added = {{Kind::Space, QStringLiteral(" ")}, {Kind::Word, QStringLiteral("WHERE")}, {Kind::Space, QStringLiteral(" ")}};
    }
    added.insert(added.end(), conditions.begin(), conditions.end());
    if (beforeGroup == group)
        added.push_back({Kind::Space, QStringLiteral(" ")});
    tokens.insert(tokens.begin() + beforeGroup, added.begin(), added.end());
    if (hasWhere) {
        const size_t after = where + 1;
        if (after < tokens.size() && tokens[after].kind == Kind::Space)
            tokens.insert(tokens.begin() + after + 1, Token{Kind::Punct, QStringLiteral("(")});
        else
            tokens.insert(tokens.begin() + after, {Token{Kind::Space, QStringLiteral(" ")}, Token{Kind::Punct, QStringLiteral("(")}});
    }
    return true;
}

void moveGroupConditionsToWhere(Tokens &tokens)
{
    // Each HAVING is looked at once, the last first; it is hidden while the others are.
    for (bool again = true; again;) {
        again = false;
        for (size_t i = tokens.size(); i-- > 0;) {
            if (!isWord(tokens[i], "having"))
                continue;
            tokens[i] = Token{Kind::Raw, SeenMark + tokens[i].text};
            moveHavingConditions(tokens, i);
            again = true;
            break;
        }
    }
    for (Token &t : tokens)
        if (t.kind == Kind::Raw && t.text.startsWith(SeenMark))
            t = Token{Kind::Word, t.text.mid(1)};
}

// ---------------------------------------------------------------- UPDATE ... FROM

// SQLite's UPDATE ... FROM joins the target with the FROM tables, as SQL Server does
// when the FROM clause does not name the target. When it does, that table is the
// target and leaves the FROM clause:
//   UPDATE t SET t.c = ... FROM a INNER JOIN t ON cond WHERE w
//     -> UPDATE t SET c = ... FROM a WHERE (cond) AND (w)
// which keeps the meaning for the target and one other table joined by an inner or
// cross join, a table list, or an outer join that keeps every row of the other
// table. Other shapes are refused.
void rewriteUpdateFrom(Tokens &tokens)
{
    const size_t update = nextSignificant(tokens, SIZE_MAX);
    if (update >= tokens.size() || !isWord(tokens[update], "update"))
        return;
    const size_t targetAt = nextSignificant(tokens, update);
    const size_t set = nextSignificant(tokens, targetAt);
    if (set >= tokens.size() || !isWord(tokens[set], "set"))
        return;
    const QString target = tokens[targetAt].text;
    const std::vector<int> d = depths(tokens);

    size_t from = tokens.size(), where = tokens.size();
    for (size_t i = set + 1; i < tokens.size(); ++i) {
        if (d[i] != 0)
            continue;
        if (isWord(tokens[i], "from") && from == tokens.size())
            from = i;
        if (isWord(tokens[i], "where")) {
            where = i;
            break;
        }
    }

    QString targetClause = target;
    QStringList setQualifiers{bareName(target)};
    QString fromText;
    QString joinCondition;
    if (from < tokens.size()) {
        const auto items = fromItems(tokens, d, from + 1, where);
        const auto sources = tableSources(items, QStringLiteral("UPDATE"));
        const int at = targetSource(sources, target, QStringLiteral("UPDATE"));
        if (at < 0) {
            fromText = sqliteFromText(tokens, items, from + 1, where);
        } else {
            const TableSource &t = sources[at];
            targetClause = t.alias.isEmpty() ? t.table : t.table + QStringLiteral(" AS ") + t.alias;
            setQualifiers << bareName(t.exposed()) << bareName(t.tableName);
            if (sources.size() == 2) {
                const bool targetFirst = at == 0;
                const JoinKind kind = items.size() >= 3 ? joinKind(items[1]) : JoinKind::Other;
                const bool joinShape = items.size() == 4 && items[1].type == FromItem::Join && items[3].type == FromItem::On
                    && kind != JoinKind::Cross;
                const bool crossShape = items.size() == 3 && kind == JoinKind::Cross;
                if (kind == JoinKind::Other || (!joinShape && !crossShape))
                    refuse(QStringLiteral("UPDATE … FROM 中的联接方式：") + joinText(tokens, from + 1, where).trimmed());
                // The rows of an outer join that have no target row are not updated,
                // so only the other table's side may be the preserved one.
                if (kind == JoinKind::Full || (kind == JoinKind::Left && targetFirst) || (kind == JoinKind::Right && !targetFirst))
                    refuse(QStringLiteral("UPDATE … FROM 中目标表在外联接的保留一侧"));
                fromText = items[targetFirst ? 2 : 0].text;
                if (joinShape)
                    joinCondition = items[3].text;
            } else if (sources.size() > 2) {
                refuse(QStringLiteral("UPDATE … FROM 中目标表与两个及以上的表联接"));
            } else if (items.size() != 1) {
                refuse(QStringLiteral("UPDATE … FROM 中的联接方式：") + joinText(tokens, from + 1, where).trimmed());
            }
        }
    }

    // Column names on the left of SET lose their table prefix, which must name the target.
    QString setList;
    bool atAssignmentStart = true;
    const size_t setEnd = qMin(from, where);
    for (size_t i = set + 1; i < setEnd; ++i) {
        if (atAssignmentStart && isName(tokens[i])) {
            const size_t dot = nextSignificant(tokens, i);
            if (dot < setEnd && isPunct(tokens[dot], ".")) {
                if (!setQualifiers.contains(bareName(tokens[i].text))) {
                    const size_t column = nextSignificant(tokens, dot);
                    refuse(QStringLiteral("UPDATE 的 SET 列不属于目标表：") + tokens[i].text + QLatin1Char('.')
                           + (column < setEnd ? tokens[column].text : QString()));
                }
                i = dot;
                atAssignmentStart = false;
                continue;
            }
        }
        if (isSignificant(tokens[i]))
            atAssignmentStart = d[i] == 0 && isPunct(tokens[i], ",");
        setList += tokens[i].text;
    }

    QString text = QStringLiteral("UPDATE ") + targetClause + QStringLiteral(" SET ") + setList.trimmed();
    if (!fromText.isEmpty())
        text += QStringLiteral(" FROM ") + fromText;
    const QString whereText = where < tokens.size() ? joinText(tokens, where + 1).trimmed() : QString();
    if (!joinCondition.isEmpty() && !whereText.isEmpty())
        text += QStringLiteral(" WHERE (") + joinCondition + QStringLiteral(") AND (") + whereText + QLatin1Char(')');
    else if (!joinCondition.isEmpty())
        text += QStringLiteral(" WHERE ") + joinCondition;
    else if (!whereText.isEmpty())
        text += QStringLiteral(" WHERE ") + whereText;
    tokens = Tokens{{Kind::Raw, text}};
}

// ---------------------------------------------------------------- DELETE ... FROM

// DELETE t WHERE w              -> DELETE FROM t WHERE w
// DELETE [FROM] t FROM j WHERE w  -> DELETE FROM t WHERE rowid IN (SELECT t.rowid FROM j WHERE w)
// The rows deleted are the target's rows of the join, whatever its shape; a target
// the FROM clause does not name is joined with it, as SQL Server does.
void rewriteDeleteFrom(Tokens &tokens)
{
    const size_t del = nextSignificant(tokens, SIZE_MAX);
    if (del >= tokens.size() || !isWord(tokens[del], "delete"))
        return;
    size_t targetAt = nextSignificant(tokens, del);
    const bool saysFrom = targetAt < tokens.size() && isWord(tokens[targetAt], "from");
    if (saysFrom)
        targetAt = nextSignificant(tokens, targetAt);
    if (targetAt >= tokens.size() || !isName(tokens[targetAt]))
        return;
    const size_t after = nextSignificant(tokens, targetAt);
    if (after < tokens.size() && isPunct(tokens[after], "."))
        return; // schema.table: SQLite reports it
    if (after >= tokens.size() || !isWord(tokens[after], "from")) {
        if (!saysFrom)
            tokens.insert(tokens.begin() + targetAt, Token{Kind::Raw, QStringLiteral("FROM ")});
        return;
    }

    const QString target = tokens[targetAt].text;
    const std::vector<int> d = depths(tokens);
    const size_t from = after;
    size_t where = tokens.size();
    for (size_t i = from + 1; i < tokens.size(); ++i)
        if (d[i] == 0 && isWord(tokens[i], "where")) {
            where = i;
            break;
        }
    const auto items = fromItems(tokens, d, from + 1, where);
    const auto sources = tableSources(items, QStringLiteral("DELETE"));
    const int at = targetSource(sources, target, QStringLiteral("DELETE"));
    QString fromText = sqliteFromText(tokens, items, from + 1, where);
    QString table = target, rowsOf = target;
    if (at < 0) {
        fromText += QStringLiteral(", ") + target;
    } else {
        table = sources[at].table;
        rowsOf = sources[at].exposed();
    }
    QString text = QStringLiteral("DELETE FROM %1 WHERE rowid IN (SELECT %2.rowid FROM %3").arg(table, rowsOf, fromText);
    if (where < tokens.size())
        text += QStringLiteral(" WHERE ") + joinText(tokens, where + 1).trimmed();
    tokens = Tokens{{Kind::Raw, text + QLatin1Char(')')}};
}

QString adaptStatement(Tokens tokens)
{
    moveGroupConditionsToWhere(tokens);
    rewriteLen(tokens);
    rewriteConvert(tokens);
    qualifyOrderBy(tokens);
    rewriteTop(tokens);
    rewriteUpdateFrom(tokens);
    rewriteDeleteFrom(tokens);
    if (rewriteNestedJoins(tokens))
        aliasQualifiedColumns(tokens);
    return joinText(tokens).trimmed();
}

} // namespace

QStringList TsqlAdapter::splitStatements(const QString &tsql)
{
    QStringList statements;
    for (const Tokens &statement : splitBatch(tokenize(tsql, false))) {
        const QString text = joinText(statement).trimmed();
        if (!text.isEmpty())
            statements << text;
    }
    return statements;
}

QStringList TsqlAdapter::toSqlite(const QString &tsql)
{
    // Comments go before anything is rewritten: a clause appended after a "--"
    // comment would be commented out. A blank keeps the tokens around them apart.
    Tokens tokens = tokenize(tsql, true);
    for (Token &t : tokens)
        if (t.kind == Kind::Comment)
            t = Token{Kind::Space, QStringLiteral(" ")};
    QStringList statements;
    for (const Tokens &statement : splitBatch(tokens)) {
        const QString text = adaptStatement(statement);
        if (!text.isEmpty())
            statements << text;
    }
    return statements;
}

} // namespace db
