#include "platform/db/TsqlAdapter.h"

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
            const int end = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
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
    const Token *previous = nullptr;
    bool hasContent = false;

    auto finish = [&] {
        if (hasContent)
            statements.push_back(current);
        current.clear();
        hasContent = false;
        insertWaitsForBody = false;
        previous = nullptr;
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
            previous = &current.back();
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

// A date literal of SQL Server's accepted forms (yyyy.mm.dd, yyyy-mm-dd, yyyy/mm/dd,
// with or without a time) as the ISO text the embedded database stores.
std::optional<QString> isoDateLiteral(const QString &literal)
{
    static const QRegularExpression form(QStringLiteral(
        "^'(\\d{4})[-./](\\d{1,2})[-./](\\d{1,2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?'$"));
    const auto m = form.match(literal.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    auto two = [](const QString &s) { return s.rightJustified(2, QLatin1Char('0')); };
    QString iso = m.captured(1) + QLatin1Char('-') + two(m.captured(2)) + QLatin1Char('-') + two(m.captured(3));
    if (!m.captured(4).isEmpty())
        iso += QLatin1Char(' ') + two(m.captured(4)) + QLatin1Char(':') + m.captured(5) + QLatin1Char(':')
            + (m.captured(6).isEmpty() ? QStringLiteral("00") : m.captured(6));
    return QLatin1Char('\'') + iso + QLatin1Char('\'');
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

std::optional<QString> sqliteConvert(const std::vector<QString> &args)
{
    if (args.size() < 2)
        return std::nullopt;
    QString type = args[0].toUpper();
    type.remove(QLatin1Char(' '));
    const QString value = args[1];
    const QString style = args.size() > 2 ? args[2] : QString();
    if (type == QLatin1String("DATETIME") || type == QLatin1String("DATE")
        || type == QLatin1String("SMALLDATETIME")) {
        if (auto iso = isoDateLiteral(value))
            return *iso;
        return value;
    }
    if (type.startsWith(QLatin1String("CHAR")) || type.startsWith(QLatin1String("VARCHAR"))
        || type.startsWith(QLatin1String("NCHAR")) || type.startsWith(QLatin1String("NVARCHAR"))) {
        if (style == QLatin1String("112"))
            return QStringLiteral("strftime('%Y%m%d', %1)").arg(value);
        if (style == QLatin1String("23"))
            return QStringLiteral("strftime('%Y-%m-%d', %1)").arg(value);
        if (style == QLatin1String("120"))
            return QStringLiteral("strftime('%Y-%m-%d %H:%M:%S', %1)").arg(value);
        if (style.isEmpty())
            return QStringLiteral("CAST(%1 AS TEXT)").arg(value);
    }
    return std::nullopt;
}

void rewriteConvert(Tokens &tokens)
{
    size_t open = 0, close = 0;
    for (size_t i = tokens.size(); i-- > 0;) {
        if (!findCall(tokens, i, "convert", open, close))
            continue;
        if (auto replacement = sqliteConvert(callArguments(tokens, open, close)))
            replaceRange(tokens, i, close + 1, *replacement);
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

void rewriteTop(Tokens &tokens)
{
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!isWord(tokens[i], "select"))
            continue;
        size_t k = nextSignificant(tokens, i);
        if (k < tokens.size() && (isWord(tokens[k], "distinct") || isWord(tokens[k], "all")))
            k = nextSignificant(tokens, k);
        if (k >= tokens.size() || !isWord(tokens[k], "top"))
            continue;
        const size_t count = nextSignificant(tokens, k);
        if (count >= tokens.size() || tokens[count].kind != Kind::Number)
            continue;
        const QString n = tokens[count].text;
        const std::vector<int> d = depths(tokens);
        size_t end = tokens.size();
        for (size_t j = i + 1; j < tokens.size(); ++j)
            if (d[j] < d[i]) {
                end = j;
                break;
            }
        tokens.insert(tokens.begin() + end, Token{Kind::Raw, QStringLiteral(" LIMIT ") + n});
        size_t eraseEnd = count + 1;
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

// ---------------------------------------------------------------- UPDATE ... FROM

QString firstWord(const QString &operand)
{
    return operand.section(QLatin1Char(' '), 0, 0).trimmed();
}

// UPDATE t SET t.c = ... FROM a INNER JOIN t ON cond WHERE w
//   -> UPDATE t SET c = ... FROM a WHERE (cond) AND (w)
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

    // Column names on the left of SET lose their table prefix.
    QString setList;
    bool atAssignmentStart = true;
    const size_t setEnd = qMin(from, where);
    for (size_t i = set + 1; i < setEnd; ++i) {
        if (atAssignmentStart && tokens[i].kind == Kind::Word) {
            const size_t dot = nextSignificant(tokens, i);
            if (dot < setEnd && isPunct(tokens[dot], ".")) {
                i = dot;
                atAssignmentStart = false;
                continue;
            }
        }
        if (isSignificant(tokens[i]))
            atAssignmentStart = d[i] == 0 && isPunct(tokens[i], ",");
        setList += tokens[i].text;
    }

    QString fromText;
    QString joinCondition;
    if (from < tokens.size()) {
        const auto items = fromItems(tokens, d, from + 1, where);
        const bool twoTableJoin = items.size() == 4 && items[0].type == FromItem::Operand
            && items[1].type == FromItem::Join && items[2].type == FromItem::Operand
            && items[3].type == FromItem::On && !items[1].text.contains(QLatin1String("left"), Qt::CaseInsensitive)
            && !items[1].text.contains(QLatin1String("right"), Qt::CaseInsensitive);
        if (twoTableJoin && firstWord(items[2].text).compare(target, Qt::CaseInsensitive) == 0) {
            fromText = items[0].text;
            joinCondition = items[3].text;
        } else if (twoTableJoin && firstWord(items[0].text).compare(target, Qt::CaseInsensitive) == 0) {
            fromText = items[2].text;
            joinCondition = items[3].text;
        } else {
            fromText = joinText(tokens, from + 1, where).trimmed();
        }
    }

    QString text = QStringLiteral("UPDATE ") + target + QStringLiteral(" SET ") + setList.trimmed();
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

QString adaptStatement(Tokens tokens)
{
    rewriteLen(tokens);
    rewriteConvert(tokens);
    qualifyOrderBy(tokens);
    rewriteTop(tokens);
    rewriteUpdateFrom(tokens);
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
    QStringList statements;
    for (const Tokens &statement : splitBatch(tokenize(tsql, true))) {
        const QString text = adaptStatement(statement);
        if (!text.isEmpty())
            statements << text;
    }
    return statements;
}

} // namespace db
