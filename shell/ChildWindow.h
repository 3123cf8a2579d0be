#pragma once

#include <QWidget>

class QMdiSubWindow;
class QPushButton;

// A working window that lives in the main window's client area. It gives the windows
// the moments their handlers run at: loading (once, before it is first shown),
// activation (each time it becomes the active child, the first time included) and
// resizing.
class ChildWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ChildWindow(QWidget *parent = nullptr);

    // The frame that holds the window in the client area (null outside one).
    QMdiSubWindow *subWindow() const;
    // The size of the window's inner area, as its layout rules use it.
    QSize innerSize() const { return size(); }

protected:
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Resize() {}

    // Inside the main window's client area, gives the frame the window's own size and
    // keeps it there: no resizing, no maximise button; the minimise button only when
    // asked for. Outside a client area nothing happens.
    void fixFrameSize(bool withMinimizeButton);
    // Maximizes the window inside the client area.
    void maximize();
    // Closes the window (and its frame in the client area).
    void unload();

    // The button Enter clicks when no button has the focus (none unless a window says).
    virtual QPushButton *defaultButton() const { return nullptr; }

    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void watchActivation();
    bool m_loaded = false;
    bool m_watching = false;
};
