#pragma once

#include "shell/WindowRegistry.h"

#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QMdiArea;
class QMenu;

// The main window "Tessaline": the working windows as child windows in its client
// area, a banner across the top, the background picture MDI.BMP, and the menu bar
// whose entries the operator's post enables.
class MDIForm1 : public QMainWindow
{
    Q_OBJECT

public:
    static MDIForm1 *instance();
    static MDIForm1 *existingInstance();
    static void destroyInstance();

    QMdiArea *clientArea() const { return m_clientArea; }
    QWidget *Picture1 = nullptr;

    // Every menu entry (drop-downs, commands, separators) in menu order.
    QList<QAction *> menuEntries() const { return m_entries; }
    // The first entry with this name (names equal captions), or null.
    QAction *entry(const QString &name) const;

    // Applies the permissions of the operator's post to the menu.
    void 权限设置();
    // Opens the window of a menu entry, or brings it to the front when it is open.
    QWidget *openEntryWindow(const QString &entryName);
    QWidget *openWindowOf(const QString &entryName) const;

    static bool isAlwaysAvailable(const QAction *entry);

    // Menu handlers (plain members: moc does not read non-ASCII names).
    void 注销_Click();
    void 退出_Click();
    void 关于软件_Click();
    void 联系我们_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MDIForm1();
    void Form_Load();
    void buildMenus();
    void addKeyboardShortcuts();
    void openMenuFromKeyboard();
    void closeActiveChild();
    void fitFirstSizeToScreen();
    QAction *addEntry(QMenu *menu, const QString &name, char mnemonic);
    QMenu *addDropDown(const QString &name, char mnemonic);
    void enableAllEntries();
    void disableEntriesWithoutWindow();
    void paintBackground();
    void writeLogoffCommand();
    void switchOperator();
    void bringToFront(QWidget *open, WindowEntry::Placement placement);

    QMdiArea *m_clientArea = nullptr;
    QList<QAction *> m_entries;
    QHash<QString, QPointer<QWidget>> m_openWindows;
    QImage m_background;
};
