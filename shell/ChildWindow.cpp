#include "shell/ChildWindow.h"

#include "shell/Handlers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

namespace {

// An error that a window's own handler did not report is reported here, so that it
// never travels through Qt's event dispatch.
template <typename Handler>
void reportingErrors(Handler handler)
{
    runReportingErrors(handler, ErrorReport::ShortText);
}

} // namespace

ChildWindow::ChildWindow(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

QMdiSubWindow *ChildWindow::subWindow() const
{
    return qobject_cast<QMdiSubWindow *>(parentWidget());
}

void ChildWindow::maximize()
{
    if (QMdiSubWindow *sub = subWindow()) {
        if (!sub->isMaximized())
            sub->showMaximized();
    } else if (!isMaximized()) {
        showMaximized();
    }
}

void ChildWindow::fixFrameSize(bool withMinimizeButton)
{
    QMdiSubWindow *sub = subWindow();
    if (!sub)
        return;
    Qt::WindowFlags flags = Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint;
    if (withMinimizeButton)
        flags |= Qt::WindowMinimizeButtonHint;
    sub->setWindowFlags(flags);
    sub->adjustSize();
    sub->setFixedSize(sub->size());
}

void ChildWindow::unload()
{
    if (QMdiSubWindow *sub = subWindow())
        sub->close();
    else
        close();
}

void ChildWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        reportingErrors([this] { Form_Load(); });
    }
    watchActivation();
}

void ChildWindow::watchActivation()
{
    if (m_watching)
        return;
    QMdiSubWindow *sub = subWindow();
    QMdiArea *area = sub ? sub->mdiArea() : nullptr;
    if (!area) {
        // Outside a client area (tests): shown once means activated once.
        m_watching = true;
        reportingErrors([this] { Form_Activate(); });
        return;
    }
    m_watching = true;
    connect(area, &QMdiArea::subWindowActivated, this, [this, sub](QMdiSubWindow *active) {
        if (active == sub)
            reportingErrors([this] { Form_Activate(); });
    });
    if (area->activeSubWindow() == sub)
        reportingErrors([this] { Form_Activate(); });
}

void ChildWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    reportingErrors([this] { Form_Resize(); });
}

// Enter that the focused control let pass (buttons outside a dialog do): a focused
// button is pressed, as the desktop's buttons are; otherwise the window's default
// button while it is enabled.
void ChildWindow::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        QWidget::keyPressEvent(event);
        return;
    }
    auto *focused = qobject_cast<QPushButton *>(QApplication::focusWidget());
    QPushButton *target = focused && isAncestorOf(focused) ? focused : defaultButton();
    if (!target) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (target->isEnabled() && target->isVisible())
        target->click();
}
