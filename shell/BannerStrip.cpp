#include "shell/BannerStrip.h"

#include "shell/Artwork.h"

#include <QPainter>

namespace {

// The banner is drawn in device-independent pixels: 15 twips each.
constexpr double twipsPerPixel = 15.0;

double px(int twips)
{
    return twips / twipsPerPixel;
}

} // namespace

BannerStrip::BannerStrip(QWidget *parent) : QWidget(parent), m_image(Artwork::banner())
{
    setObjectName(QStringLiteral("Picture1"));
    setFixedHeight(qRound(px(HeightTwips)));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QVector<int> BannerStrip::sliceTargetsTwips(int widthTwips)
{
    QVector<int> targets;
    for (int i = 1; i <= 10000 && SliceStartTwips + SliceWidthTwips * i < widthTwips - RightEndTwips; ++i)
        targets << SliceStartTwips + SliceWidthTwips * i;
    return targets;
}

void BannerStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillRect(rect(), palette().window());
    painter.drawImage(QPointF(0, 0), m_image);

    const int widthTwips = qRound(width() * twipsPerPixel);
    const QRectF slice(px(SliceStartTwips), 0, px(SliceWidthTwips), m_image.height());
    for (int x : sliceTargetsTwips(widthTwips))
        painter.drawImage(QRectF(px(x), 0, px(SliceWidthTwips), height()), m_image, slice);

    const QRectF rightSource(px(SliceStartTwips), 0, m_image.width() - px(SliceStartTwips), m_image.height());
    painter.drawImage(QRectF(px(widthTwips - RightEndTwips), 0, px(RightEndTwips), height()), m_image, rightSource);
}
