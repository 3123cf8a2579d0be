// The scripted message boxes and file dialogs of the tests: what they record, and
// that a test whose script is not used up fails.
#include "platform/ui/FileDialogs.h"
#include "platform/ui/MessageBoxes.h"

#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

// A test that queues more than it uses; run in a child process, it must fail.
class LeavesAnswersUnused : public QObject
{
    Q_OBJECT

private slots:
    void queuesTwoAnswersAndUsesOne()
    {
        MessageBoxes::startScripting();
        MessageBoxes::queueAnswer(MessageBoxes::Answer::Yes);
        MessageBoxes::queueAnswer(MessageBoxes::Answer::No);
        MessageBoxes::show(nullptr, u"继续？"_s, u"提示"_s, MessageBoxes::Icon::Question, MessageBoxes::Buttons::YesNo);
    }
    void cleanup() { MessageBoxes::stopScripting(); }
};

class LeavesAFileNameUnused : public QObject
{
    Q_OBJECT

private slots:
    void setsAFileNameNoDialogTakes() { FileDialogs::setNextFileName(u"/tmp/x.xlsx"_s); }
    void cleanup() { FileDialogs::stopScripting(); }
};

class TestScriptedServices : public QObject
{
    Q_OBJECT

    // Runs one of the classes above in a child process; its exit code and output.
    QPair<int, QString> runChild(const QString &which)
    {
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {which});
        child.waitForFinished(30000);
        return {child.exitCode(), QString::fromUtf8(child.readAll())};
    }

private slots:
    void fileDialogsAreRecordedWithTheirAnswers()
    {
        FileDialogs::startScripting();
        FileDialogs::setNextFileName(u"/tmp/作废统计.xlsx"_s);
        QCOMPARE(FileDialogs::getSaveFileName(nullptr, u"导出"_s, u"/home/op/作废统计"_s, u"Excel 工作簿 (*.xlsx)"_s),
                 u"/tmp/作废统计.xlsx"_s);
        // A dialog without an answer is cancelled.
        QCOMPARE(FileDialogs::getOpenFileName(nullptr, u"打开"_s, u"/home/op"_s, u"*.xls"_s), QString());
        const QList<FileDialogs::Record> records = FileDialogs::records();
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0].kind, FileDialogs::Record::Save);
        QCOMPARE(records[0].caption, u"导出"_s);
        QCOMPARE(records[0].folder, u"/home/op/作废统计"_s);
        QCOMPARE(records[0].filter, u"Excel 工作簿 (*.xlsx)"_s);
        QCOMPARE(records[1].kind, FileDialogs::Record::Open);
        QCOMPARE(records[1].answer, QString());
        FileDialogs::stopScripting();
        QVERIFY(FileDialogs::records().isEmpty());
    }

    void unusedAnswersFailTheTest()
    {
        const auto [code, output] = runChild(u"--leave-answers"_s);
        QVERIFY2(code != 0, qPrintable(output));
        QVERIFY2(output.contains(u"not used up"_s), qPrintable(output));
    }

    void unusedFileNameFailsTheTest()
    {
        const auto [code, output] = runChild(u"--leave-file-name"_s);
        QVERIFY2(code != 0, qPrintable(output));
        QVERIFY2(output.contains(u"x.xlsx"_s), qPrintable(output));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == u"--leave-answers"_s) {
        LeavesAnswersUnused test;
        return QTest::qExec(&test, 1, argv);
    }
    if (mode == u"--leave-file-name"_s) {
        LeavesAFileNameUnused test;
        return QTest::qExec(&test, 1, argv);
    }
    TestScriptedServices test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_scripted_services.moc"
