#include "platform/sheet/TableReferences.h"

namespace sheet {

namespace {

// The characters of a name in a formula (and of numbers, which are no table's name).
bool nameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'.' || c == u'\\' || c == u'?' || c.unicode() > 0x7f;
}

// Past a quoted text ("…" or '…', the quote doubled inside) starting at `at`.
qsizetype pastQuoted(const QString &formula, qsizetype at)
{
    const QChar quote = formula[at];
    for (qsizetype i = at + 1; i < formula.size(); ++i) {
        if (formula[i] != quote)
            continue;
        if (i + 1 < formula.size() && formula[i + 1] == quote) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return formula.size();
}

// Past the brackets starting at `at`, nested ones included; inside them an apostrophe
// takes the next character as it is ("Price'[USD']").
qsizetype pastBrackets(const QString &formula, qsizetype at)
{
    int depth = 0;
    for (qsizetype i = at; i < formula.size(); ++i) {
        const QChar c = formula[i];
        if (c == u'\'')
            ++i;
        else if (c == u'[')
            ++depth;
        else if (c == u']' && --depth == 0)
            return i + 1;
    }
    return formula.size();
}

} // namespace

std::optional<QString> withoutTableReferences(const QString &formula, const QStringList &tables)
{
    QString out;
    bool changed = false;
    qsizetype i = 0;
    while (i < formula.size()) {
        const QChar c = formula[i];
        qsizetype end = i + 1;
        if (c == u'"' || c == u'\'') {
            end = pastQuoted(formula, i);
        } else if (c == u'[') {
            end = pastBrackets(formula, i); // another table's part, or a workbook's number
        } else if (nameCharacter(c)) {
            while (end < formula.size() && nameCharacter(formula[end]))
                ++end;
            const QString name = formula.mid(i, end - i);
            const bool qualified = i > 0 && formula[i - 1] == u'!'; // a sheet's name, not a table
            const bool function = end < formula.size() && formula[end] == u'(';
            if (!qualified && !function && tables.contains(name, Qt::CaseInsensitive)) {
                if (end < formula.size() && formula[end] == u'[')
                    end = pastBrackets(formula, end);
                out += QStringLiteral("#REF!");
                changed = true;
                i = end;
                continue;
            }
        }
        out += QStringView(formula).mid(i, end - i);
        i = end;
    }
    if (!changed)
        return std::nullopt;
    return out;
}

} // namespace sheet
