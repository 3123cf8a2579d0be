#include "platform/sheet/Workbook.h"

#include "platform/sheet/FileAccess.h"
#include "platform/sheet/SheetGraft.h"
#include "platform/sheet/ZipPackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace sheet {

namespace {

// Whether the bytes are well-formed UTF-8 (no overlong form, no surrogate, nothing
// above U+10FFFF) without a NUL: what a QString would give back unchanged.
bool isUtf8WithoutNul(std::string_view bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned c = *p;
        if (c >= 0x01 && c < 0x80) {
            ++p;
            continue;
        }
        int more = 0;
        unsigned low = 0x80, high = 0xBF; // the range of the byte after the first
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false; // NUL, a continuation byte, or a byte UTF-8 never uses
        }
        if (end - p <= more || p[1] < low || p[1] > high)
            return false;
        for (int k = 2; k <= more; ++k)
            if ((p[k] & 0xC0) != 0x80)
                return false;
        p += more + 1;
    }
    return true;
}

long long &cellLimitForTests()
{
    static long long limit = -1;
    return limit;
}

// The zip format holds parts of up to 4 GiB without Zip64 fields, which some programs
// (WPS Office among them) refuse to read; only a sheet that may reach that size gets them.
constexpr long long ZipPartLimit = 0xFFFFFFFFLL;

long long &zip64SheetSize()
{
    static long long size = ZipPartLimit;
    return size;
}

// What a cell adds to the sheet's XML at most: its tag, and its text with every byte
// escaped (a control character becomes "_x0001_").
constexpr long long CellTagBytes = 96;
constexpr long long EscapedByteBytes = 7;
// Room for what the sheet holds around its rows: columns, merges, page set-up.
constexpr long long SheetFrameBytes = 4LL << 20;

QString libraryError(int error)
{
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return QStringLiteral("内存不足。");
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return QStringLiteral("无法写入文件，磁盘可能已满或没有写入权限（%1）。")
            .arg(QString::fromUtf8(lxw_strerror(lxw_error(error))));
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED: return QStringLiteral("单元格的文字超过了32767个字符。");
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE: return QStringLiteral("超出了工作表的行数或列数。");
    default: return QString::fromUtf8(lxw_strerror(lxw_error(error)));
    }
}

std::filesystem::path fsPath(const QString &file)
{
    return std::filesystem::path(QFile::encodeName(file).toStdString());
}

} // namespace

WorkbookError::WorkbookError(const QString &description)
    : std::runtime_error(description.toLocal8Bit().toStdString()), m_description(description)
{
}

QString Workbook::controlCharacterIn(QStringView text)
{
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\0': return QStringLiteral("空字符（NUL）");
        case u'\t': return QStringLiteral("制表符");
        case u'\n': return QStringLiteral("换行符");
        case u'\r': return QStringLiteral("回车符");
        default:
            if (c.unicode() < 0x20)
                return QStringLiteral("控制字符（U+%1）").arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'));
        }
    }
    return {};
}

QString Workbook::sheetNameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("工作表名称不能为空。");
    if (const QString control = controlCharacterIn(name); !control.isEmpty())
        return QStringLiteral("工作表名称不能含有%1。").arg(control);
    if (name.size() > 31)
        return QStringLiteral("工作表名称“%1”太长：最多31个字符。").arg(name);
    for (QChar c : name)
        if (QStringLiteral("[]:*?/\\").contains(c))
            return QStringLiteral("工作表名称“%1”不能含有 [ ] : * ? / \\ 这些字符。").arg(name);
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        return QStringLiteral("工作表名称“%1”不能以单引号开头或结尾。").arg(name);
    if (name.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("“History”是Excel保留的名称，不能用作工作表名称。");
    return {};
}

QString Workbook::fileNameProblem(const QString &file)
{
    // The system takes a path name up to its first NUL, so one in the middle would
    // write another file.
    if (file.contains(QChar(u'\0')))
        return QStringLiteral("文件名不能含有空字符（NUL）。");
    const QString name = file.section(u'/', -1);
    if (const QString control = controlCharacterIn(name); !control.isEmpty())
        return QStringLiteral("文件名不能含有%1。").arg(control);
    if (const qsizetype bytes = QFile::encodeName(name).size(); bytes > NAME_MAX)
        return QStringLiteral("文件名太长：最多%1个字节（约%2个汉字），这个文件名有%3个字节。")
            .arg(NAME_MAX)
            .arg(NAME_MAX / 3)
            .arg(bytes);
    if (QFile::encodeName(QFileInfo(file).absoluteFilePath()).size() >= PATH_MAX)
        return QStringLiteral("文件路径太长：最多%1个字节。").arg(PATH_MAX - 1);
    return {};
}

void Workbook::failAfterCellsForTests(long long cells)
{
    cellLimitForTests() = cells;
}

void Workbook::setZip64SheetSizeForTests(long long bytes)
{
    zip64SheetSize() = bytes < 0 ? ZipPartLimit : bytes;
}

Workbook::Workbook(const QString &file, const QString &sheetName)
    : m_sheetName(sheetName), m_cellLimit(cellLimitForTests())
{
    try {
        if (const QString problem = fileNameProblem(file); !problem.isEmpty())
            throw WorkbookError(problem);
        m_file = QFileInfo(file).absoluteFilePath();
        checkTarget();
        startWriter();
    } catch (...) {
        discard();
        throw;
    }
}

Workbook::~Workbook()
{
    if (!m_saved)
        discard();
}

void Workbook::checkTarget()
{
    const QString problem = sheetNameProblem(m_sheetName);
    if (!problem.isEmpty())
        throw WorkbookError(problem);
    const QFileInfo info(m_file);
    if (info.isDir())
        throw WorkbookError(QStringLiteral("“%1”是一个文件夹，不是工作簿文件。").arg(m_file));
    m_isNew = !info.exists();
    // Renaming over a read-only file would replace it all the same.
    if (!m_isNew && !userMayWrite(m_file))
        throw WorkbookError(QStringLiteral("文件“%1”是只读文件，不能向其中输出，文件未做任何改动。").arg(info.fileName()));
    if (!m_isNew) {
        // Refused before anything is written: a file that is not a workbook package,
        // or whose sheet of that name is not a worksheet.
        const ZipPackage target(m_file);
        checkWorkbook(target, m_sheetName, info.fileName());
    } else if (!info.dir().exists()) {
        throw WorkbookError(QStringLiteral("文件夹“%1”不存在。").arg(QDir::toNativeSeparators(info.absolutePath())));
    }
}

QString Workbook::makeTemporaryBeside() const
{
    const QFileInfo info(m_file);
    // The start of the name is enough to tell whose it is, and keeps a long name within
    // the file system's limit.
    constexpr int NameStart = 32;
    QTemporaryFile file(info.absolutePath() + QStringLiteral("/.~") + info.completeBaseName().left(NameStart)
                        + QStringLiteral(".XXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        throw WorkbookError(QStringLiteral("无法在文件夹“%1”中写入文件：%2")
                                .arg(QDir::toNativeSeparators(info.absolutePath()), file.errorString()));
    return file.fileName();
}

void Workbook::startWriter()
{
    m_output = makeTemporaryBeside();
    QString written = m_output;
    if (!m_isNew) {
        m_scratchDir = std::make_unique<QTemporaryDir>();
        if (!m_scratchDir->isValid())
            throw WorkbookError(QStringLiteral("无法建立临时文件夹：%1").arg(m_scratchDir->errorString()));
        m_scratch = m_scratchDir->filePath(QStringLiteral("sheet.xlsx"));
        written = m_scratch;
    }
    // Constant-memory mode: each row goes to a temporary file once the next one is
    // started, so a grid of any size takes little memory; strings are written inline
    // in the sheet, which is also what lets the sheet be grafted into another workbook.
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_FALSE; // decided when the sheet is complete
    const QByteArray path = QFile::encodeName(written);
    m_book = workbook_new_opt(path.constData(), &options);
    if (!m_book)
        throw WorkbookError(QStringLiteral("无法建立工作簿。"));
    const QByteArray name = m_sheetName.toUtf8();
    m_sheet = workbook_add_worksheet(m_book, name.constData());
    if (!m_sheet)
        throw WorkbookError(QStringLiteral("无法建立工作表“%1”。").arg(m_sheetName));
}

// What the sheet's XML holds at most: the rows in libxlsxwriter's temporary file, the
// row still in memory, and what is written around them.
bool Workbook::sheetNeedsZip64() const
{
    long long bytes = SheetFrameBytes + m_rowBytes;
    if (m_sheet && m_sheet->optimize_tmpfile)
        bytes += std::max(0L, std::ftell(m_sheet->optimize_tmpfile));
    return bytes >= zip64SheetSize();
}

void Workbook::check(int error, const char *what) const
{
    if (error != LXW_NO_ERROR)
        throw WorkbookError(QStringLiteral("写入%1时出错：%2").arg(QString::fromUtf8(what), libraryError(error)));
}

lxw_format *Workbook::formatOf(int format) const
{
    return format >= 0 && size_t(format) < m_formats.size() ? m_formats[size_t(format)] : nullptr;
}

int Workbook::addFormat(const CellFormat &format)
{
    lxw_format *f = workbook_add_format(m_book);
    if (!f)
        throw WorkbookError(QStringLiteral("无法建立单元格格式。"));
    constexpr uint8_t BuiltInText = 49; // "@"
    if (format.numberFormat == QLatin1String("@"))
        format_set_num_format_index(f, BuiltInText);
    else if (!format.numberFormat.isEmpty())
        format_set_num_format(f, format.numberFormat.toUtf8().constData());
    switch (format.horizontal) {
    case Horizontal::General: break;
    case Horizontal::Left: format_set_align(f, LXW_ALIGN_LEFT); break;
    case Horizontal::Centre: format_set_align(f, LXW_ALIGN_CENTER); break;
    case Horizontal::Right: format_set_align(f, LXW_ALIGN_RIGHT); break;
    }
    switch (format.vertical) {
    case Vertical::Bottom: break;
    case Vertical::Top: format_set_align(f, LXW_ALIGN_VERTICAL_TOP); break;
    case Vertical::Centre: format_set_align(f, LXW_ALIGN_VERTICAL_CENTER); break;
    }
    if (format.border)
        format_set_border(f, LXW_BORDER_THIN);
    if (format.fontSize > 0)
        format_set_font_size(f, format.fontSize);
    m_formats.push_back(f);
    return int(m_formats.size()) - 1;
}

void Workbook::setColumnWidth(int col, double width)
{
    check(worksheet_set_column(m_sheet, lxw_col_t(col), lxw_col_t(col), width, nullptr), "列宽");
}

void Workbook::setRowFormat(int row, int format)
{
    enterRow(row);
    check(worksheet_set_row(m_sheet, lxw_row_t(row), LXW_DEF_ROW_HEIGHT, formatOf(format)), "行格式");
}

void Workbook::mergeCells(int firstRow, int firstCol, int lastRow, int lastCol)
{
    if (firstRow > lastRow)
        std::swap(firstRow, lastRow);
    if (firstCol > lastCol)
        std::swap(firstCol, lastCol);
    if (firstRow <= m_row)
        throw WorkbookError(QStringLiteral("合并单元格须在写入其中的单元格之前给出。"));
    if (firstRow == lastRow && firstCol == lastCol)
        return; // one cell is not merged
    m_merges.push_back({firstRow, firstCol, lastRow, lastCol});
    std::stable_sort(m_merges.begin(), m_merges.end(),
                     [](const PendingMerge &a, const PendingMerge &b) { return a.lastRow < b.lastRow; });
}

// libxlsxwriter writes a merge's cells when it is given, and in constant-memory
// mode it can only write the row it is on (or later ones). So a merge is given to it
// when the writer is on the merge's last row, just before leaving it: the cells it
// would write in earlier rows are already there, and the cells it blanks in this row
// are written again from the row's copy.
void Workbook::enterRow(int row)
{
    if (row == m_row)
        return;
    if (row < m_row)
        throw WorkbookError(QStringLiteral("工作表的行须自上而下依次写入。"));
    closeMergesEndingBefore(row);
    m_row = row;
    m_rowBytes = 0;
    m_rowBuffer.clear();
    m_buffering = std::any_of(m_merges.begin(), m_merges.end(), [row](const PendingMerge &m) { return m.lastRow == row; });
}

void Workbook::closeMergesEndingBefore(int row)
{
    while (!m_merges.empty() && m_merges.front().lastRow < row) {
        const PendingMerge merge = m_merges.front();
        m_merges.erase(m_merges.begin());
        registerMerge(merge);
        if (merge.lastRow == m_row) {
            for (const BufferedCell &cell : m_rowBuffer)
                if (cell.col >= merge.firstCol && cell.col <= merge.lastCol)
                    rewrite(cell);
        } else {
            // libxlsxwriter is now on the merge's last row, which held nothing yet.
            m_row = merge.lastRow;
            m_rowBuffer.clear();
        }
    }
}

void Workbook::registerMerge(const PendingMerge &merge)
{
    check(worksheet_merge_range(m_sheet, lxw_row_t(merge.firstRow), lxw_col_t(merge.firstCol), lxw_row_t(merge.lastRow),
                                lxw_col_t(merge.lastCol), "", formatOf(merge.format)),
          "合并单元格");
}

void Workbook::noteMergeStart(int row, int col, int format)
{
    for (PendingMerge &merge : m_merges)
        if (merge.firstRow == row && merge.firstCol == col)
            merge.format = format;
}

void Workbook::buffer(BufferedCell cell)
{
    m_rowBuffer.push_back(std::move(cell));
}

void Workbook::rewrite(const BufferedCell &cell)
{
    const lxw_row_t row = lxw_row_t(m_row);
    const lxw_col_t col = lxw_col_t(cell.col);
    switch (cell.kind) {
    case BufferedCell::Text:
        check(worksheet_write_string(m_sheet, row, col, cell.text.constData(), formatOf(cell.format)), "单元格");
        break;
    case BufferedCell::Number:
        check(worksheet_write_number(m_sheet, row, col, cell.number, formatOf(cell.format)), "单元格");
        break;
    case BufferedCell::Blank:
        check(worksheet_write_blank(m_sheet, row, col, formatOf(cell.format)), "单元格");
        break;
    }
}

void Workbook::countCell()
{
    if (m_cellLimit >= 0 && m_cells >= m_cellLimit)
        throw WorkbookError(QStringLiteral("写入第%1个单元格时出错：磁盘已满。").arg(m_cells + 1));
    ++m_cells;
}

void Workbook::writeText(int row, int col, QStringView text, int format)
{
    countCell();
    // The library takes texts up to their first NUL.
    if (text.contains(QChar(u'\0')))
        throw WorkbookError(QStringLiteral("第%1行第%2列的文字含有空字符（NUL），不能写入工作簿。").arg(row + 1).arg(col + 1));
    enterRow(row);
    m_utf8.resize(m_encoder.requiredSpace(text.size()) + 1);
    char *end = m_encoder.appendToBuffer(m_utf8.data(), text);
    *end = '\0';
    writeUtf8Held(row, col, end - m_utf8.constData(), format);
}

void Workbook::writeUtf8(int row, int col, std::string_view utf8, int format)
{
    if (!isUtf8WithoutNul(utf8)) {
        writeText(row, col, QString::fromUtf8(utf8.data(), qsizetype(utf8.size())), format);
        return;
    }
    countCell();
    enterRow(row);
    m_utf8.resize(qsizetype(utf8.size()) + 1);
    std::memcpy(m_utf8.data(), utf8.data(), utf8.size());
    m_utf8[qsizetype(utf8.size())] = '\0';
    writeUtf8Held(row, col, qsizetype(utf8.size()), format);
}

void Workbook::writeUtf8Held(int row, int col, qsizetype length, int format)
{
    m_rowBytes += CellTagBytes + EscapedByteBytes * length;
    check(worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(col), m_utf8.constData(), formatOf(format)), "单元格");
    if (!m_merges.empty())
        noteMergeStart(row, col, format);
    if (m_buffering)
        buffer({BufferedCell::Text, col, format, 0, QByteArray(m_utf8.constData(), length)});
}

void Workbook::writeNumber(int row, int col, double value, int format)
{
    countCell();
    enterRow(row);
    check(worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(col), value, formatOf(format)), "单元格");
    m_rowBytes += CellTagBytes;
    if (!m_merges.empty())
        noteMergeStart(row, col, format);
    if (m_buffering)
        buffer({BufferedCell::Number, col, format, value, {}});
}

void Workbook::writeBlank(int row, int col, int format)
{
    countCell();
    enterRow(row);
    check(worksheet_write_blank(m_sheet, lxw_row_t(row), lxw_col_t(col), formatOf(format)), "单元格");
    m_rowBytes += CellTagBytes;
    if (!m_merges.empty())
        noteMergeStart(row, col, format);
    if (m_buffering)
        buffer({BufferedCell::Blank, col, format, 0, {}});
}

void Workbook::save()
{
    if (m_saved || !m_book)
        throw WorkbookError(QStringLiteral("工作簿已经保存过了。"));
    closeMergesEndingBefore(INT_MAX);
    m_book->options.use_zip64 = sheetNeedsZip64() ? LXW_TRUE : LXW_FALSE;
    const lxw_error closed = workbook_close(m_book);
    m_book = nullptr;
    m_sheet = nullptr;
    if (closed != LXW_NO_ERROR)
        throw WorkbookError(QStringLiteral("无法写出工作簿：%1").arg(libraryError(closed)));
    if (m_isNew)
        commitNew();
    else
        commitIntoExisting();
    m_saved = true;
}

void Workbook::commitNew()
{
    QFile::setPermissions(m_output, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    renameOverTarget(m_output);
}

void Workbook::commitIntoExisting()
{
    const QString fileName = QFileInfo(m_file).fileName();
    {
        const ZipPackage target(m_file);
        const ZipPackage scratch(m_scratch);
        const PackageChanges changes = graftSheet(target, scratch, m_sheetName, fileName);
        writePackage(target, changes, m_output);
    }
    QFile::setPermissions(m_output, QFileInfo(m_file).permissions());
    renameOverTarget(m_output);
}

void Workbook::renameOverTarget(const QString &written)
{
    std::error_code error;
    std::filesystem::rename(fsPath(written), fsPath(m_file), error);
    if (error)
        throw WorkbookError(QStringLiteral("无法保存工作簿“%1”（文件可能正被其他程序打开）：%2")
                                .arg(QDir::toNativeSeparators(m_file), QString::fromLocal8Bit(error.message().c_str())));
}

void Workbook::discard()
{
    if (m_book) {
        lxw_workbook_free(m_book);
        m_book = nullptr;
        m_sheet = nullptr;
    }
    if (!m_output.isEmpty())
        QFile::remove(m_output);
    m_scratchDir.reset();
}

} // namespace sheet
