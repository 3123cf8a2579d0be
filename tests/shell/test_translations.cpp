// Qt's own texts read in Chinese whatever the system language: the standard buttons
// of message boxes and the file and print dialogs.
#include "shell/Program.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY2(installQtTranslations(), "Qt's Chinese translations (qt6-translations-l10n) are missing");
        QVERIFY(installQtTranslations()); // a second call changes nothing
    }

    void standardButtonsAreChinese()
    {
        QMessageBox box(QMessageBox::Question, u"提示"_s, u"继续？"_s,
                        QMessageBox::Ok | QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        auto text = [&](QMessageBox::StandardButton b) { return box.button(b)->text().remove(u'&'); };
        QVERIFY2(text(QMessageBox::Ok).startsWith(u"确定"_s), qPrintable(text(QMessageBox::Ok)));
        QVERIFY2(text(QMessageBox::Yes).startsWith(u"是"_s), qPrintable(text(QMessageBox::Yes)));
        QVERIFY2(text(QMessageBox::No).startsWith(u"否"_s), qPrintable(text(QMessageBox::No)));
        QVERIFY2(text(QMessageBox::Cancel).startsWith(u"取消"_s), qPrintable(text(QMessageBox::Cancel)));
    }

    void fileAndPrintDialogsAreChinese()
    {
        QFileDialog files(nullptr, u"导出"_s);
        files.setOption(QFileDialog::DontUseNativeDialog);
        QStringList labels;
        for (QPushButton *b : files.findChildren<QPushButton *>())
            labels << b->text().remove(u'&');
        QVERIFY2(labels.join(u' ').contains(u"取消"_s), qPrintable(labels.join(u" | "_s)));

        QPrinter printer;
        QPrintDialog print(&printer);
        QVERIFY2(print.windowTitle().contains(u"打印"_s), qPrintable(print.windowTitle()));
    }
};

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"
