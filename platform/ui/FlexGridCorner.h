#pragma once

#include <QWidget>

class FlexGrid;

// The cells where fixed rows and fixed columns meet; they never scroll.
class FlexGridCorner : public QWidget
{
    Q_OBJECT
public:
    explicit FlexGridCorner(FlexGrid *grid);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QPoint toGrid(const QMouseEvent *event) const;

    FlexGrid *m_grid;
};
