// How long filling the grid with 100 000 rows takes, against its floor: building the
// same cell texts without a grid. Run: build/bench/bench_flexgrid
#include "platform/ui/FlexGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>

namespace {

constexpr int RowCount = 100000;
const QString UsageFormat = QStringLiteral("序|^选择|<票据本（箱）编号|<票据类型|<领用日期|<票据起始号码|<票据终止号码|>份数|>已开票数"
                                           "|>作废数|>未用数|>开票金额合计|>未收款数|>未收款金额合计|^查看|");

QString cellText(int row, int col)
{
    return QStringLiteral("21-%1-%2").arg(row).arg(col);
}

qint64 floorMs()
{
    QElapsedTimer timer;
    timer.start();
    QStringList sink;
    sink.reserve(RowCount * 14);
    for (int row = 1; row <= RowCount; ++row)
        for (int col = 1; col < 15; ++col)
            sink << cellText(row, col);
    return timer.elapsed();
}

qint64 gridMs()
{
    FlexGrid grid;
    grid.setFormatString(UsageFormat);
    grid.resize(1000, 700);
    grid.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    grid.setVisible(false);
    grid.setRows(1);
    for (int row = 1; row <= RowCount; ++row) {
        grid.setRows(grid.Rows() + 1);
        grid.setRow(row);
        for (int col = 1; col < 15; ++col)
            grid.setTextMatrix(row, col, cellText(row, col));
    }
    grid.setVisible(true);
    QApplication::processEvents();
    return timer.elapsed();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const qint64 floor = floorMs();
    const qint64 grid = gridMs();
    QTextStream(stdout) << "fill " << RowCount << " rows x 14 columns: grid " << grid << " ms, floor (texts only) "
                        << floor << " ms, ratio " << (floor > 0 ? double(grid) / floor : 0.0) << "\n";
    return 0;
}
