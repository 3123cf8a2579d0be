#include "platform/ui/PlacedControls.h"

#include "platform/ui/DropDownList.h"
#include "platform/ui/Twips.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace PlacedControls {

QLabel *label(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width, int height)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    if (width <= 0 || height <= 0) {
        l->adjustSize();
        l->move(Twips::toPixels(left), Twips::toPixels(top));
        return l;
    }
    Twips::place(l, left, top, width, height);
    const QSize wanted = l->sizeHint();
    l->resize(std::max(l->width(), wanted.width()), std::max(l->height(), wanted.height()));
    return l;
}

QLineEdit *textBox(QWidget *parent, const QString &name, int left, int top, int width, int height)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    Twips::place(box, left, top, width, height);
    return box;
}

DropDownList *comboBox(QWidget *parent, const QString &name, int left, int top, int width, int height)
{
    auto *combo = new DropDownList(parent);
    combo->setObjectName(name);
    Twips::place(combo, left, top, width, height);
    return combo;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width, int height)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    Twips::place(b, left, top, width, height);
    return b;
}

QIcon departmentIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(70, 90, 130));
    p.setBrush(QColor(220, 228, 245));
    p.drawRect(QRect(2, 4, 11, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 90, 130));
    for (int y = 6; y <= 10; y += 4)
        for (int x = 4; x <= 10; x += 3)
            p.drawRect(QRect(x, y, 2, 2));
    return QIcon(pixmap);
}

} // namespace PlacedControls
