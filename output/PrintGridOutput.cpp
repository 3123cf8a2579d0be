// Where the grid print engine prints to: the print preview of the program's printer,
// and PDF files.
#include "output/PrintGrid.h"

#include "platform/print/PainterPrintSurface.h"
#include "platform/ui/FlexGrid.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QTimer>

#include <exception>

namespace {

QPrinter *&printerInstance()
{
    static QPrinter *printer = nullptr;
    return printer;
}

// The printer goes with the application, before Qt's printing support is unloaded.
void deleteProgramPrinter()
{
    delete printerInstance();
    printerInstance() = nullptr;
}

// A print to a PDF file chosen in the preview goes to a temporary file beside it,
// which takes the file's name only when the print is complete.
class PdfFileOfPrinter
{
public:
    explicit PdfFileOfPrinter(QPrinter *printer) : m_printer(printer)
    {
        if (printer->outputFormat() != QPrinter::PdfFormat || printer->outputFileName().isEmpty())
            return;
        m_target = printer->outputFileName();
        const QFileInfo target(m_target);
        m_temporary = target.absoluteDir().filePath(QStringLiteral(".%1.%2.part")
                                                        .arg(target.fileName())
                                                        .arg(QCoreApplication::applicationPid()));
        printer->setOutputFileName(m_temporary);
    }
    ~PdfFileOfPrinter()
    {
        if (m_target.isEmpty())
            return;
        m_printer->setOutputFileName(m_target);
        QFile::remove(m_temporary);
    }
    PdfFileOfPrinter(const PdfFileOfPrinter &) = delete;
    PdfFileOfPrinter &operator=(const PdfFileOfPrinter &) = delete;

    // The print is complete: the file takes its name. (A preview writes no file.)
    void commit()
    {
        if (m_target.isEmpty() || !QFile::exists(m_temporary))
            return;
        QFile::remove(m_target);
        if (!QFile::rename(m_temporary, m_target))
            throw PrintError(QStringLiteral("打印机错误：无法写入文件 %1").arg(m_target));
    }

private:
    QPrinter *m_printer;
    QString m_target;
    QString m_temporary;
};

} // namespace

QPrinter &programPrinter()
{
    if (!printerInstance()) {
        printerInstance() = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(deleteProgramPrinter);
    }
    return *printerInstance();
}

bool printGridWithPreview(QWidget *parent, FlexGrid *grid, const QString &title, const QString &subtitle,
                          bool printSignLine, int omittedColumns)
{
    QPrinter &printer = programPrinter();
    printer.setDocName(title);
    {
        // The question is asked once, on the page the printer has now.
        PainterPrintSurface page(&printer);
        if (askToChangePaper(parent, page, *grid, PrintSurface::Twips, omittedColumns)) {
            QPageSetupDialog setup(&printer, parent);
            setup.exec();
            return false;
        }
    }

    QPrintPreviewDialog preview(&printer, parent);
    std::exception_ptr failure;
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter *target) {
        // Nothing thrown may leave through Qt's signal: the error is kept for the caller
        // and the preview closes.
        try {
            PdfFileOfPrinter file(target);
            PainterPrintSurface surface(target);
            const PrintGridResult result = PrintGrid(surface, *grid, PrintSurface::Twips, title, subtitle,
                                                     printSignLine, omittedColumns, PaperWidthQuestion::AlreadyAnswered);
            if (result == PrintGridResult::Printed)
                file.commit();
            else
                QTimer::singleShot(0, &preview, &QDialog::reject);
        } catch (...) {
            failure = std::current_exception();
            QTimer::singleShot(0, &preview, &QDialog::reject);
        }
    });
    const int shown = preview.exec();
    if (failure)
        std::rethrow_exception(failure);
    return shown == QDialog::Accepted;
}

QPageLayout defaultPdfPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

bool printGridToPdf(FlexGrid *grid, const QString &pdfFile, const QString &title, const QString &subtitle,
                    bool printSignLine, int omittedColumns, const QPageLayout &layout)
{
    QSaveFile file(pdfFile);
    if (!file.open(QIODevice::WriteOnly))
        throw PrintError(QStringLiteral("打印机错误：无法写入文件 %1").arg(pdfFile));
    PrintGridResult result;
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(layout);
        writer.setTitle(title);
        writer.setCreator(QCoreApplication::applicationName());
        PainterPrintSurface surface(&writer);
        result = PrintGrid(surface, *grid, PrintSurface::Twips, title, subtitle, printSignLine, omittedColumns);
    }
    if (result != PrintGridResult::Printed) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        throw PrintError(QStringLiteral("打印机错误：无法写入文件 %1").arg(pdfFile));
    return true;
}
