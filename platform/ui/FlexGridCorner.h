#pragma once

#include <QWidget>

class FlexGrid;

// The cells where fixed rows and fixed columns meet; they never scroll. Mouse input
// goes to the grid (FlexGrid::eventFilter).
class FlexGridCorner : public QWidget
{
    Q_OBJECT
public:
    explicit FlexGridCorner(FlexGrid *grid);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    FlexGrid *m_grid;
};
