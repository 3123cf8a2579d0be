#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <QStringEncoder>

#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;
class QTemporaryDir;

namespace sheet {

// A failure while writing a workbook; the description is for the operator.
class WorkbookError : public std::runtime_error
{
public:
    explicit WorkbookError(const QString &description);
    QString description() const { return m_description; }

private:
    QString m_description;
};

enum class Horizontal { General, Left, Centre, Right };
enum class Vertical { Bottom, Top, Centre };

// The look of a cell: number format (empty for "General"), alignment, a thin frame
// on all four sides, and the font size in points (0 keeps the workbook's size).
struct CellFormat
{
    QString numberFormat;
    Horizontal horizontal = Horizontal::General;
    Vertical vertical = Vertical::Bottom;
    bool border = false;
    double fontSize = 0;
};

// Writes one worksheet into a workbook file. When the file does not exist, a new
// workbook holds just that sheet. When it does, it must be a workbook package
// (.xlsx, .xlsm): the sheet of that name (compared without case, as the spreadsheet
// program does) gets the new contents in its place, or a new sheet is added after
// the last one, and every other part of the package stays as it was.
//
// Rows are written in order, top to bottom; a row's format is given before its cells,
// a merge before any cell it covers. Rows and columns count from 0.
//
// Nothing reaches the file until save(): the workbook is written into a temporary
// file beside it and renamed over it, so a failure, or a writer dropped unsaved,
// leaves the file as it was. Every failure throws WorkbookError.
class Workbook
{
public:
    Workbook(const QString &file, const QString &sheetName);
    ~Workbook();
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    // Whether the file did not exist, so the workbook is a new one.
    bool isNew() const { return m_isNew; }

    int addFormat(const CellFormat &format);
    // Width in the spreadsheet's characters, as its column width is given.
    void setColumnWidth(int col, double width);
    void setRowFormat(int row, int format);
    void mergeCells(int firstRow, int firstCol, int lastRow, int lastCol);

    void writeText(int row, int col, QStringView text, int format);
    // The same for a text given as UTF-8; bytes that are not UTF-8 are written as
    // writeText writes them once read into a QString.
    void writeUtf8(int row, int col, std::string_view utf8, int format);
    void writeNumber(int row, int col, double value, int format);
    void writeBlank(int row, int col, int format);

    void save();

    // An empty text when the name can be a sheet's name, else why it cannot.
    static QString sheetNameProblem(const QString &name);
    // An empty text when a workbook can be written under that path name, else why it
    // cannot: a control character in it, a name too long for the file system.
    static QString fileNameProblem(const QString &file);
    // The first control character of a text, named for the operator ("空字符（NUL）",
    // "制表符", …); empty text when it has none.
    static QString controlCharacterIn(QStringView text);

    // For tests: the writers made after this call fail at their (cells + 1)th cell,
    // as a full disk would; a negative count ends it.
    static void failAfterCellsForTests(long long cells);
    // For tests: the size of a sheet's XML from which Zip64 fields are written; a
    // negative size restores the zip format's own limit.
    static void setZip64SheetSizeForTests(long long bytes);

private:
    struct PendingMerge
    {
        int firstRow, firstCol, lastRow, lastCol;
        int format = -1; // of the first cell, once written
    };
    struct BufferedCell
    {
        enum Kind { Text, Number, Blank } kind;
        int col;
        int format;
        double number;
        QByteArray text;
    };

    void checkTarget();
    void startWriter();
    void enterRow(int row);
    void closeMergesEndingBefore(int row);
    void registerMerge(const PendingMerge &merge);
    void countCell();
    void noteMergeStart(int row, int col, int format);
    void buffer(BufferedCell cell);
    void rewrite(const BufferedCell &cell);
    void check(int error, const char *what) const;
    bool sheetNeedsZip64() const;
    lxw_format *formatOf(int format) const;
    void commitNew();
    void commitIntoExisting();
    void renameOverTarget(const QString &written);
    QString makeTemporaryBeside() const;
    void discard();

    QString m_file;
    QString m_sheetName;
    bool m_isNew = true;
    bool m_saved = false;
    QString m_output;     // the temporary file beside the target
    std::unique_ptr<QTemporaryDir> m_scratchDir; // holds the one-sheet workbook that is
    QString m_scratch;                           // grafted into an existing one
    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    std::vector<lxw_format *> m_formats;
    std::vector<PendingMerge> m_merges;
    std::vector<BufferedCell> m_rowBuffer;
    bool m_buffering = false;
    int m_row = -1;
    long long m_cells = 0;
    long long m_cellLimit = -1;
    long long m_rowBytes = 0; // at most, of the row not yet handed to the sheet's file
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
    QByteArray m_utf8;
    // Writes the text of a cell held in m_utf8's first `length` bytes, ended by a NUL.
    void writeUtf8Held(int row, int col, qsizetype length, int format);
};

} // namespace sheet
