#include "shell/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace Artwork {
namespace {

const QColor deepBlue(20, 62, 120);
const QColor midBlue(58, 110, 180);
const QColor paleBlue(214, 228, 245);

QFont uiFont(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// A stack of three bill slips, the program's emblem.
void drawBills(QPainter &p, const QRectF &area)
{
    p.save();
    p.translate(area.center());
    const qreal w = area.width() * 0.7, h = area.height() * 0.8;
    for (int i = 2; i >= 0; --i) {
        p.save();
        p.rotate(-8.0 * i);
        const QRectF slip(-w / 2, -h / 2, w, h);
        p.setPen(QPen(QColor(90, 110, 140), 1));
        p.setBrush(i == 0 ? QColor(255, 253, 240) : QColor(236, 240, 248));
        p.drawRoundedRect(slip, 2, 2);
        if (i == 0) {
            p.setPen(QPen(QColor(190, 60, 50), 1.2));
            for (int line = 1; line <= 4; ++line) {
                const qreal y = slip.top() + slip.height() * line / 5.0;
                p.drawLine(QPointF(slip.left() + 4, y), QPointF(slip.right() - 4, y));
            }
        }
        p.restore();
    }
    p.restore();
}

QImage roundButton(const QColor &base, bool tick)
{
    QImage image(72, 28, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, 28);
    fill.setColorAt(0, base.lighter(140));
    fill.setColorAt(1, base);
    p.setPen(QPen(base.darker(140), 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, 71, 27), 6, 6);
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    if (tick) {
        QPainterPath path;
        path.moveTo(26, 14);
        path.lineTo(33, 20);
        path.lineTo(46, 8);
        p.drawPath(path);
    } else {
        p.drawLine(QPointF(29, 8), QPointF(43, 20));
        p.drawLine(QPointF(43, 8), QPointF(29, 20));
    }
    return image;
}

} // namespace

QImage loginBackground()
{
    QImage image(340, 227, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 227);
    sky.setColorAt(0, midBlue);
    sky.setColorAt(0.38, deepBlue);
    sky.setColorAt(0.39, paleBlue);
    sky.setColorAt(1, QColor(244, 248, 253));
    p.fillRect(image.rect(), sky);
    drawBills(p, QRectF(12, 10, 64, 64));
    p.setPen(Qt::white);
    p.setFont(uiFont(24, true));
    p.drawText(QRectF(86, 14, 250, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Veldrin 票据管理"));
    p.setFont(uiFont(12));
    p.drawText(QRectF(88, 50, 250, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("财务处 · 票据与票据本"));
    p.setPen(QColor(60, 80, 110));
    p.setFont(uiFont(13));
    p.drawText(QRectF(24, 103, 70, 24), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("用户名"));
    p.drawText(QRectF(24, 135, 70, 24), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("密  码"));
    return image;
}

QImage okButton()
{
    return roundButton(QColor(46, 125, 70), true);
}

QImage cancelButton()
{
    return roundButton(QColor(160, 60, 50), false);
}

QImage banner()
{
    QImage image(1028, 54, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(0, 0, 0, 54);
    band.setColorAt(0, midBlue);
    band.setColorAt(1, deepBlue);
    p.fillRect(image.rect(), band);
    // Everything from x = 590 on is plain: its first 20 pixels are tiled across a wide
    // window and the rest is squeezed into the right end, so it carries no text.
    QRadialGradient glow(QPointF(930, 27), 150);
    glow.setColorAt(0, QColor(120, 170, 230, 150));
    glow.setColorAt(1, QColor(120, 170, 230, 0));
    p.fillRect(QRect(780, 0, 248, 54), glow);
    drawBills(p, QRectF(8, 4, 46, 46));
    p.setPen(Qt::white);
    p.setFont(uiFont(22, true));
    p.drawText(QRectF(62, 0, 300, 54), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tessaline 票据管理"));
    p.setPen(QColor(200, 218, 242));
    p.setFont(uiFont(12));
    p.drawText(QRectF(370, 0, 210, 54), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Veldrin系统2011版"));
    return image;
}

QImage aboutPicture()
{
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawBills(p, QRectF(0, 0, 64, 64));
    return image;
}

} // namespace Artwork
