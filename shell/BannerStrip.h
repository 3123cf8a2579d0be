#pragma once

#include <QImage>
#include <QVector>
#include <QWidget>

// The banner across the top of the main window (Picture1): the image's left part at
// natural size, its middle slice (x = 8850 twips, 300 wide) repeated to fill the
// width, and the image from 8850 on squeezed into the last 4000 twips at the right.
class BannerStrip : public QWidget
{
    Q_OBJECT

public:
    explicit BannerStrip(QWidget *parent = nullptr);

    static constexpr int HeightTwips = 810;
    static constexpr int SliceStartTwips = 8850;
    static constexpr int SliceWidthTwips = 300;
    static constexpr int RightEndTwips = 4000;

    // Where the repeated slice is drawn, in twips, for a banner this wide.
    static QVector<int> sliceTargetsTwips(int widthTwips);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};
