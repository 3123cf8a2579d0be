#include "platform/ui/FileDialogs.h"

#include "platform/ui/MessageBoxes.h"

#include <QFileDialog>
#include <optional>

namespace FileDialogs {
namespace {

struct Script
{
    bool active = false;
    std::optional<QString> next;
    QList<Record> records;
};

Script &script()
{
    static Script s;
    return s;
}

// The scripted answer of a dialog, recorded; nothing when the service is not scripted.
std::optional<QString> scriptedAnswer(Record::Kind kind, const QString &caption, const QString &folder,
                                      const QString &filter)
{
    Script &s = script();
    if (!s.active)
        return std::nullopt;
    const QString answer = s.next.value_or(QString());
    s.next.reset();
    s.records.append({kind, caption, folder, filter, answer});
    return answer;
}

void reportUnused()
{
    if (script().next)
        MessageBoxes::reportUnusedScript(QStringLiteral("文件对话框的回答未被使用：%1").arg(*script().next));
}

} // namespace

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter,
                        ExistingFile existing)
{
    if (auto answer = scriptedAnswer(Record::Save, caption, suggested, filter))
        return *answer;
    const QFileDialog::Options options =
        existing == ExistingFile::AddTo ? QFileDialog::DontConfirmOverwrite : QFileDialog::Options();
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter, nullptr, options);
}

QString getOpenFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter)
{
    if (auto answer = scriptedAnswer(Record::Open, caption, folder, filter))
        return *answer;
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

void startScripting()
{
    reportUnused();
    script() = Script{};
    script().active = true;
}

void stopScripting()
{
    reportUnused();
    script() = Script{};
}

void setNextFileName(const QString &name)
{
    script().active = true;
    script().next = name;
}

QList<Record> records()
{
    return script().records;
}

} // namespace FileDialogs
