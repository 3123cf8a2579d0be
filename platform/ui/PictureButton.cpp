#include "platform/ui/PictureButton.h"

PictureButton::PictureButton(QWidget *parent) : QPushButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // Enter presses the focused button in a window that is no dialog too.
    setAutoDefault(true);
}

void PictureButton::setPicture(const QIcon &picture)
{
    setIcon(picture);
    fitPicture();
}

void PictureButton::resizeEvent(QResizeEvent *event)
{
    QPushButton::resizeEvent(event);
    fitPicture();
}

void PictureButton::fitPicture()
{
    // Without a caption the picture takes the button less its border; with one it
    // leaves room for the text.
    const int border = 4;
    QSize room = size() - QSize(2 * border, 2 * border);
    if (!text().isEmpty())
        room.setHeight(room.height() - fontMetrics().height() - border);
    setIconSize(room.boundedTo(QSize(256, 256)).expandedTo(QSize(8, 8)));
}
