#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class CheckBox;
class FlexGrid;
class GridTable;
class PictureButton;
class QFrame;
class QLabel;
class QLineEdit;
class StatusBar;

// The spreadsheet export: any grid written into a worksheet of a workbook file, new
// or existing. The calling window sets the tag text (the second heading line), calls
// Config with its grid, a sheet name and a title, and shows the window; the operator
// chooses the file and the columns and presses "确定".
//
// A free-floating window without caption text, not modal; it deletes itself when
// closed.
class frmToExcel : public QWidget
{
    Q_OBJECT

public:
    explicit frmToExcel(QWidget *parent = nullptr);
    ~frmToExcel() override;

    // The export window, made when none is loaded.
    static frmToExcel *instance();

    QString Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    void Config(FlexGrid *grid, const QString &sheetName, const QString &title);
    // Writes the grid's chosen columns into the file of Text1(0); true when the
    // workbook was saved. lastError() tells why it was not.
    bool To_Execl(FlexGrid *grid, const QString &title, const QString &sheetName);
    // The address of a cell: column letters (0 "A" … 16383 "XFD") and the row;
    // empty text for a column outside the worksheet.
    static QString RangeNom(int column, int row);

    QString lastError() const { return m_lastError; }

    // Exports of more grid rows than this show a progress dialog with a cancel button.
    static constexpr int ProgressRows = 5000;

    // What opens a saved workbook when Check1 is ticked; by default the desktop's
    // program for the file. Tests put a recorder in its place, and with the
    // environment variable TESSALINE_NO_DESKTOP set nothing is ever started.
    using Opener = std::function<void(const QString &file)>;
    static void setOpenerForTests(Opener opener);

    std::map<int, QLabel *> Label1;
    std::map<int, QLineEdit *> Text1;
    PictureButton *Command1;
    CheckBox *Check1;
    QFrame *Shape1;
    FlexGrid *Grid1;
    PictureButton *Command2;
    PictureButton *Command3;
    StatusBar *StatusBar1;

    QPointer<FlexGrid> SourceGrid;

    void Form_Load();
    void Grid1_Click();
    void Grid1_DblClick();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

private:
    void buildControls();
    std::vector<int> chosenColumns(const FlexGrid &grid) const;
    void exportTo(const GridTable &grid, const std::vector<int> &columns, const QString &file, const QString &title,
                  const QString &sheetName);
    void openInSpreadsheetProgram(const QString &file);

    QString m_tag;
    QString m_lastError;
};
