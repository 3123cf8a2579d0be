#include "shell/Module1.h"

#include "platform/ui/FlexGrid.h"
#include "platform/ui/FlexGridAlignment.h"
#include "platform/ui/TextMeasure.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMdiSubWindow>
#include <QPointer>

namespace {

constexpr int ColumnMargin = 90; // twips added to the widest text of a column

QPointer<QWidget> &clientArea()
{
    static QPointer<QWidget> area;
    return area;
}

// What is moved: a form shown in the main window is framed by its sub-window.
QWidget *placedWidget(QWidget *window)
{
    auto *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget());
    return frame ? frame : window;
}

QSize innerSize(QWidget *area)
{
    auto *scrollArea = qobject_cast<QAbstractScrollArea *>(area);
    return scrollArea ? scrollArea->viewport()->size() : area->size();
}

} // namespace

void setMainClientArea(QWidget *area)
{
    clientArea() = area;
}

QWidget *MainClientArea()
{
    return clientArea();
}

void CenterChild(QWidget *window)
{
    QWidget *area = MainClientArea();
    if (!window || !area)
        return;
    QWidget *placed = placedWidget(window);
    const QSize inner = innerSize(area);
    const QSize outer = placed->isWindow() ? placed->frameGeometry().size() : placed->size();
    placed->move((inner.width() - outer.width()) / 2, (inner.height() - outer.height()) / 2);
}

void AutoSizeColumns(FlexGrid *grid, QWidget *measuringWindow)
{
    if (!grid || !measuringWindow)
        return;
    const QFont font = measuringWindow->font();
    for (int col = 0; col < grid->Cols(); ++col) {
        if (grid->FixedAlignment(col) == FlexGridAlignment::General)
            continue;
        int width = 0;
        for (int row = 0; row < grid->Rows(); ++row)
            width = std::max(width, TextMeasure::widthTwips(font, grid->TextMatrix(row, col)) + ColumnMargin);
        if (width != 0)
            grid->setColWidth(col, width);
    }
}

void ShowInfo(const QString &text)
{
    MessageBoxes::show(QApplication::activeWindow(), text, MessageBoxes::executableName(),
                       MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
}

void ShowErrorBox(int number, const QString &description, MessageBoxes::Icon icon, const QString &title)
{
    const QString text = QStringLiteral("错误号：") + QString::number(number) + QStringLiteral("\r\n")
                       + QStringLiteral("错误描述：") + description;
    MessageBoxes::show(QApplication::activeWindow(), text, title.isEmpty() ? MessageBoxes::applicationTitle() : title,
                       icon, MessageBoxes::Buttons::Ok);
}

QString errorReportText(const db::DbError &error)
{
    return QString::number(error.number()) + QLatin1Char(' ') + error.description();
}

QString errorReportTextWithoutSpace(const db::DbError &error)
{
    return QString::number(error.number()) + error.description();
}
