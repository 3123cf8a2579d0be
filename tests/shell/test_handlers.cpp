// Handlers connected through connectHandler: an error a handler lets escape is
// reported in the two-line error box and the program goes on.
#include "platform/db/DbError.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/Handlers.h"

#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

class Window : public QWidget
{
public:
    QList<int> values;
    int clicks = 0;

    void failingClick() { throw db::DbError(-2147217900, u"对象名 '票据' 无效。"_s); }
    void plainClick() { ++clicks; }
    void valueChanged(int value)
    {
        values << value;
        if (value == 3)
            throw std::runtime_error("out of range");
    }
};

} // namespace

class TestHandlers : public QObject
{
    Q_OBJECT

private slots:
    void init() { MessageBoxes::startScripting(); }
    void cleanup() { MessageBoxes::stopScripting(); }

    void escapingDatabaseErrorIsReportedAndTheProgramGoesOn()
    {
        Window window;
        QPushButton failing(&window), plain(&window);
        connectHandler(&failing, &QPushButton::clicked, &window, &Window::failingClick);
        connectHandler(&plain, &QPushButton::clicked, &window, &Window::plainClick);

        QTest::mouseClick(&failing, Qt::LeftButton);
        QCOMPARE(MessageBoxes::records().size(), 1);
        const MessageBoxes::Record box = MessageBoxes::records().first();
        QCOMPARE(box.text, u"错误号：-2147217900\r\n错误描述：对象名 '票据' 无效。"_s);
        QCOMPARE(box.icon, MessageBoxes::Icon::Critical);
        QCOMPARE(box.title, MessageBoxes::applicationTitle());

        // The window keeps working.
        QTest::mouseClick(&plain, Qt::LeftButton);
        QTest::mouseClick(&failing, Qt::LeftButton);
        QCOMPARE(window.clicks, 1);
        QCOMPARE(MessageBoxes::records().size(), 2);
    }

    void handlersGetTheSignalsArguments()
    {
        Window window;
        QSpinBox spin(&window);
        connectHandler(&spin, &QSpinBox::valueChanged, &window, &Window::valueChanged);
        spin.setValue(2);
        spin.setValue(3); // throws something that is not a database error
        spin.setValue(4);
        QCOMPARE(window.values, (QList<int>{2, 3, 4}));
        QCOMPARE(MessageBoxes::records().size(), 1);
        QVERIFY(MessageBoxes::records().first().text.endsWith(u"错误描述：out of range"_s));
    }
};

QTEST_MAIN(TestHandlers)
#include "test_handlers.moc"
