#include "shell/MDIForm1.h"

#include "platform/ui/ListBox.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"
#include "shell/Artwork.h"
#include "shell/BannerStrip.h"
#include "shell/DbSettings.h"
#include "shell/Handlers.h"
#include "shell/Module1.h"
#include "shell/Program.h"
#include "shell/ShellSql.h"
#include "shell/WindowRegistry.h"
#include "shell/frmAbout.h"
#include "shell/frmLogin.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QUrl>
#include <QVBoxLayout>

#include <optional>

namespace {

QPointer<MDIForm1> &theInstance()
{
    static QPointer<MDIForm1> window;
    return window;
}

const QStringList &alwaysAvailableNames()
{
    static const QStringList names = {QStringLiteral("注销"), QStringLiteral("关于"), QStringLiteral("关于软件"),
                                      QStringLiteral("联系我们"), QStringLiteral("退出"), QStringLiteral("退出系统")};
    return names;
}

} // namespace

MDIForm1 *MDIForm1::instance()
{
    if (!theInstance()) {
        theInstance() = new MDIForm1;
        theInstance()->Form_Load();
    }
    return theInstance();
}

MDIForm1 *MDIForm1::existingInstance()
{
    return theInstance();
}

void MDIForm1::destroyInstance()
{
    delete theInstance().data();
}

MDIForm1::MDIForm1()
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("Tessaline"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(QIcon(QPixmap::fromImage(Artwork::aboutPicture())));

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Picture1 = new BannerStrip(central);
    m_clientArea = new QMdiArea(central);
    m_clientArea->setObjectName(QStringLiteral("clientArea"));
    m_clientArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_clientArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_clientArea->viewport()->installEventFilter(this);
    layout->addWidget(Picture1);
    layout->addWidget(m_clientArea, 1);
    setCentralWidget(central);
    setMainClientArea(m_clientArea);

    if (!registeredWindow(QStringLiteral("关于软件")))
        registerWindow({QStringLiteral("关于软件"), [] { return new frmAbout; }, WindowEntry::Placement::TopLevel, false});
    m_background.load(QDir(programFolder()).filePath(QStringLiteral("MDI.BMP")));
    buildMenus();
    addKeyboardShortcuts();
    fitFirstSizeToScreen();
}

// The size the main window opens at: 1100 × 760 where the screen has room, otherwise
// the screen's free area less the frame, so that a 1366 × 768 laptop shows it whole.
void MDIForm1::fitFirstSizeToScreen()
{
    QSize size(1100, 760);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        // The frame is not known before the window is shown: a title bar and borders.
        const QSize room = screen->availableGeometry().size() - QSize(16, 48);
        size = size.boundedTo(room);
    }
    resize(size);
}

// A clerk who works all day keeps his hands on the keyboard: F10 opens the first menu
// that can be used (Alt and the underlined letters work as the desktop makes them),
// and Esc closes the active working window as its close button does (Ctrl+F4 is the
// working window frame's own close key).
void MDIForm1::addKeyboardShortcuts()
{
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, &MDIForm1::openMenuFromKeyboard);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_clientArea);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &MDIForm1::closeActiveChild);
}

void MDIForm1::openMenuFromKeyboard()
{
    for (QAction *action : menuBar()->actions()) {
        if (action->isEnabled() && action->isVisible() && action->menu()) {
            menuBar()->setActiveAction(action);
            return;
        }
    }
}

void MDIForm1::closeActiveChild()
{
    if (QMdiSubWindow *active = m_clientArea->activeSubWindow())
        active->close();
}

namespace {

// The caption of an entry: its name with the letter Alt reaches it by, as "票据查看(&V)".
QString captionWithMnemonic(const QString &name, char letter)
{
    return QStringLiteral("%1(&%2)").arg(name, QString(QLatin1Char(letter)));
}

} // namespace

QMenu *MDIForm1::addDropDown(const QString &name, char mnemonic)
{
    QMenu *menu = menuBar()->addMenu(captionWithMnemonic(name, mnemonic));
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    m_entries << menu->menuAction();
    return menu;
}

QAction *MDIForm1::addEntry(QMenu *menu, const QString &name, char mnemonic)
{
    const QString caption = captionWithMnemonic(name, mnemonic);
    QAction *action = menu ? menu->addAction(caption) : menuBar()->addAction(caption);
    action->setObjectName(name);
    m_entries << action;
    return action;
}

void MDIForm1::buildMenus()
{
    QMenu *bills = addDropDown(QStringLiteral("票据查看"), 'V');
    const std::pair<const char *, char> billEntries[] = {
        {"票据使用情况查询", 'U'}, {"票据作废恢复申请", 'A'}, {"票据作废恢复审批", 'D'}, {"票据作废查询", 'S'}, {"全电票入库", 'I'}};
    for (const auto &[name, mnemonic] : billEntries)
        addEntry(bills, QString::fromUtf8(name), mnemonic);
    addEntry(nullptr, QStringLiteral("票据反核销"), 'R');
    addEntry(nullptr, QStringLiteral("恢复路径设置"), 'P');

    QMenu *exit = addDropDown(QStringLiteral("退出系统"), 'X');
    connectHandler(addEntry(exit, QStringLiteral("退出"), 'X'), &QAction::triggered, this, &MDIForm1::退出_Click);
    m_entries << exit->addSeparator();
    connectHandler(addEntry(exit, QStringLiteral("注销"), 'L'), &QAction::triggered, this, &MDIForm1::注销_Click);

    QMenu *about = addDropDown(QStringLiteral("关于"), 'H');
    connectHandler(addEntry(about, QStringLiteral("关于软件"), 'A'), &QAction::triggered, this, &MDIForm1::关于软件_Click);
    connectHandler(addEntry(about, QStringLiteral("联系我们"), 'C'), &QAction::triggered, this, &MDIForm1::联系我们_Click);

    for (QAction *action : std::as_const(m_entries)) {
        if (action->menu() || action->isSeparator() || isAlwaysAvailable(action))
            continue;
        const QString name = action->objectName();
        connect(action, &QAction::triggered, this, [this, name] { runReportingErrors([&] { openEntryWindow(name); }); });
    }
}

QAction *MDIForm1::entry(const QString &name) const
{
    for (QAction *action : m_entries)
        if (action->objectName() == name)
            return action;
    return nullptr;
}

bool MDIForm1::isAlwaysAvailable(const QAction *entry)
{
    return entry->isSeparator() || entry->text() == QLatin1String("-")
        || alwaysAvailableNames().contains(entry->objectName());
}

void MDIForm1::Form_Load()
{
    if (OperatorContext().工号 != QStringLiteral("超级用户"))
        权限设置();
    else
        enableAllEntries();
    if (frmLogin *login = frmLogin::instance())
        login->hide();
}

void MDIForm1::enableAllEntries()
{
    for (QAction *action : std::as_const(m_entries))
        action->setEnabled(true);
    disableEntriesWithoutWindow();
}

void MDIForm1::disableEntriesWithoutWindow()
{
    for (QAction *action : std::as_const(m_entries))
        if (!action->menu() && !isAlwaysAvailable(action) && !registeredWindow(action->objectName()))
            action->setEnabled(false);
}

void MDIForm1::权限设置()
{
    for (QAction *action : std::as_const(m_entries))
        if (!isAlwaysAvailable(action))
            action->setEnabled(false);
    try {
        db::Recordset rows = DbConnection().open(permissionsSql(OperatorContext().岗位代号));
        QStringList formNames;
        QList<bool> enabled;
        for (; !rows.eof(); rows.moveNext()) {
            formNames << rows.text(QStringLiteral("FormName"));
            if (rows.isNull(QStringLiteral("Popedom")))
                throw db::DbError(94, QStringLiteral("无效使用 Null"));
            enabled << (rows.value(QStringLiteral("Popedom")).toDouble() != 0);
        }
        // Ascending Popedom: a later grant overrides an earlier refusal.
        for (int i = 0; i < formNames.size(); ++i)
            if (QAction *action = entry(formNames[i]))
                action->setEnabled(enabled[i]);
    } catch (const db::DbError &error) {
        ShowErrorBox(error.number(), error.description(), MessageBoxes::Icon::Information, QStringLiteral("提示"));
    }
    disableEntriesWithoutWindow();
}

QWidget *MDIForm1::openWindowOf(const QString &entryName) const
{
    return m_openWindows.value(entryName);
}

QWidget *MDIForm1::openEntryWindow(const QString &entryName)
{
    const WindowEntry *window = registeredWindow(entryName);
    if (!window)
        return nullptr;
    std::optional<Hourglass> busy;
    if (window->hourglass)
        busy.emplace();

    if (QWidget *open = m_openWindows.value(entryName)) {
        bringToFront(open, window->placement);
        return open;
    }

    QWidget *widget = nullptr;
    runReportingErrors([&] { widget = window->create(); }, ErrorReport::ShortText);
    if (!widget)
        return nullptr;
    widget->setAttribute(Qt::WA_DeleteOnClose);
    m_openWindows.insert(entryName, widget);
    if (window->placement == WindowEntry::Placement::TopLevel) {
        widget->setParent(this, Qt::Window | widget->windowFlags());
        widget->show();
        widget->raise();
        widget->activateWindow();
        return widget;
    }
    QMdiSubWindow *sub = m_clientArea->addSubWindow(widget);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // A working window that closes itself takes its frame with it.
    connect(widget, &QObject::destroyed, sub, [sub] { sub->close(); });
    if (window->placement == WindowEntry::Placement::MaximizedChild)
        sub->showMaximized();
    else
        sub->show();
    m_clientArea->setActiveSubWindow(sub);
    return widget;
}

void MDIForm1::bringToFront(QWidget *open, WindowEntry::Placement placement)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(open->parentWidget())) {
        // The operator may have minimised the window or restored it from maximised; it
        // comes back as it opens. A minimised child stays the active one, so activating
        // it alone would leave it minimised.
        if (placement == WindowEntry::Placement::MaximizedChild) {
            if (!sub->isMaximized() || sub->isMinimized() || !sub->isVisible())
                sub->showMaximized();
        } else if (sub->isMinimized() || !sub->isVisible()) {
            sub->showNormal();
        }
        m_clientArea->setActiveSubWindow(sub);
        sub->raise();
        return;
    }
    // A window of its own comes back from the task bar as it was before (normal, or
    // maximised when the operator had maximised it).
    if (open->isMinimized())
        open->setWindowState(open->windowState() & ~Qt::WindowMinimized);
    open->show();
    open->raise();
    open->activateWindow();
}

void MDIForm1::paintBackground()
{
    if (m_background.isNull()) {
        m_clientArea->setBackground(palette().window());
        return;
    }
    const QSize size = m_clientArea->viewport()->size();
    if (size.isEmpty())
        return;
    m_clientArea->setBackground(QBrush(QPixmap::fromImage(
        m_background.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation))));
}

bool MDIForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_clientArea->viewport() && event->type() == QEvent::Resize)
        paintBackground();
    return QMainWindow::eventFilter(watched, event);
}

void MDIForm1::退出_Click()
{
    EndProgram();
}

void MDIForm1::closeEvent(QCloseEvent *event)
{
    event->accept();
    EndProgram();
}

void MDIForm1::注销_Click()
{
    while (QMdiSubWindow *active = m_clientArea->activeSubWindow()) {
        active->close();
        if (m_clientArea->activeSubWindow() == active)
            break; // it refused to close
    }
    m_clientArea->closeAllSubWindows();
    // A window that would not close keeps the operator and the connection it uses.
    if (!m_clientArea->subWindowList().isEmpty())
        return;
    if (!LaunchArguments().isEmpty())
        writeLogoffCommand();
    else
        switchOperator();
}

void MDIForm1::writeLogoffCommand()
{
    // The launcher looks beside the program; an installed program's folder is root's,
    // so the file then goes to the operator's own data folder.
    const QString folder = writableProgramFolder();
    QFile file(QDir(folder.isEmpty() ? programFolder() : folder).filePath(QStringLiteral("Command.Dll")));
    QStringEncoder systemCodePage(QStringConverter::System);
    const QByteArray line = systemCodePage.encode(QStringLiteral("注销\r\n"));
    if (folder.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(line) != line.size()
        || !file.flush()) {
        const QString reason = folder.isEmpty() ? QStringLiteral("没有可以写入的文件夹") : file.errorString();
        MessageBoxes::showWithAppTitle(
            this, QStringLiteral("无法写入注销文件 %1：%2").arg(QDir::toNativeSeparators(file.fileName()), reason),
            MessageBoxes::Icon::Critical);
        return;
    }
    file.close();
    // Hand the focus to the launcher's window where the desktop lets a program do so.
    const QString wmctrl = QStandardPaths::findExecutable(QStringLiteral("wmctrl"));
    if (!wmctrl.isEmpty())
        QProcess::startDetached(wmctrl, {QStringLiteral("-a"), QStringLiteral("Veldrin系统2011版")});
}

void MDIForm1::switchOperator()
{
    frmLogin *login = frmLogin::instance();
    login->Label2->hide();
    login->List1->hide();
    login->Tag = QStringLiteral("切换");
    login->txtPassword->clear();
    login->exec();
    login->Tag.clear();
    if (programEndRequested())
        return;
    // The super-user gets every entry after a switch too, as at start-up.
    if (OperatorContext().工号 == QStringLiteral("超级用户"))
        enableAllEntries();
    else
        权限设置();
}

void MDIForm1::关于软件_Click()
{
    openEntryWindow(QStringLiteral("关于软件"));
}

void MDIForm1::联系我们_Click()
{
    const QString address = readLocalSettings().contactUrl;
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid() || !QDesktopServices::openUrl(url))
        MessageBoxes::showWithAppTitle(this, QStringLiteral("无法打开网页：") + address, MessageBoxes::Icon::Information);
}
