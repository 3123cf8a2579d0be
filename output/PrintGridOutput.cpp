// Where the grid print engine prints to: the print preview of the program's printer,
// from which a print goes to a printer queue or a PDF file, and PDF files.
#include "output/PrintGrid.h"

#include "platform/print/PageSetup.h"
#include "platform/print/PainterPrintSurface.h"
#include "platform/print/PrintQueue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>

#include <exception>
#include <memory>

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

// Where one print on a printer goes while it is made; nothing reaches its destination
// before the print is complete. A print to a file is written under a temporary name
// beside the file, which takes the file's name when the print is complete. A print to
// the printer's queue is written to a file in a temporary folder and handed to the
// queue as one document when complete. A print cancelled or failed half way leaves an
// earlier file as it was and sends nothing; its temporary file goes. A preview writes
// no file, so nothing is sent for it.
class PrinterOutput
{
public:
    explicit PrinterOutput(QPrinter *printer) : m_printer(printer), m_target(printer->outputFileName())
    {
        if (m_target.isEmpty()) {
            m_folder = std::make_unique<QTemporaryDir>();
            if (!m_folder->isValid())
                throw PrintError(QStringLiteral("打印机错误：无法建立临时文件夹（%1）").arg(m_folder->errorString()));
            // Without the ending ".pdf", which would turn the printer of a queue into a
            // PDF writer and lose the job options chosen for it.
            m_temporary = m_folder->filePath(QStringLiteral("document"));
        } else {
            const QFileInfo target(m_target);
            m_temporary = target.absoluteDir().filePath(QStringLiteral(".%1.%2.part")
                                                            .arg(target.fileName())
                                                            .arg(QCoreApplication::applicationPid()));
        }
        printer->setOutputFileName(m_temporary);
    }
    ~PrinterOutput()
    {
        m_printer->setOutputFileName(m_target);
        QFile::remove(m_temporary);
    }
    PrinterOutput(const PrinterOutput &) = delete;
    PrinterOutput &operator=(const PrinterOutput &) = delete;

    // The print is complete: the file takes its name, or the document goes to the queue.
    void complete()
    {
        if (!QFile::exists(m_temporary))
            return;
        m_printer->setOutputFileName(m_target);
        if (m_folder) {
            printQueue().submit(m_temporary, printJobOf(*m_printer));
            return;
        }
        QFile::remove(m_target);
        if (!QFile::rename(m_temporary, m_target))
            throw PrintError(QStringLiteral("打印机错误：无法写入文件 %1").arg(m_target));
    }

private:
    QPrinter *m_printer;
    QString m_target;
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_temporary;
};

// Asks about a table wider than the printer's page until it fits, the operator prints
// it as it is (No), or he cancels the page set-up. Yes opens the page set-up; once he
// confirms it the print goes on, on the page he chose. Whether the print goes on.
bool pageChosen(QWidget *parent, QPrinter &printer, const GridTable &grid, int omittedColumns)
{
    for (;;) {
        PainterPrintSurface page(&printer);
        if (!askToChangePaper(parent, page, grid, PrintSurface::Twips, omittedColumns))
            return true;
        if (!PageSetup::exec(parent, printer))
            return false;
    }
}

} // namespace

QPrinter &programPrinter()
{
    if (!printerInstance()) {
        printerInstance() = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(deleteProgramPrinter);
    }
    return *printerInstance();
}

bool printGridWithPreview(QWidget *parent, const GridTable &grid, const QString &title, const QString &subtitle,
                          bool printSignLine, int omittedColumns)
{
    QPrinter &printer = programPrinter();
    printer.setDocName(title);
    if (!pageChosen(parent, printer, grid, omittedColumns))
        return false;

    QPrintPreviewDialog preview(&printer, parent);
    std::exception_ptr failure;
    bool cancelled = false;
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter *target) {
        // Nothing thrown may leave through Qt's signal: the error is kept for the caller
        // and the preview closes.
        try {
            PrinterOutput output(target);
            PrintGridResult result;
            {
                PainterPrintSurface surface(target);
                result = PrintGrid(surface, grid, PrintSurface::Twips, title, subtitle, printSignLine,
                                   omittedColumns, PaperWidthQuestion::AlreadyAnswered);
            }
            if (result == PrintGridResult::Printed) {
                output.complete();
            } else {
                cancelled = true;
                QTimer::singleShot(0, &preview, &QDialog::reject);
            }
        } catch (...) {
            failure = std::current_exception();
            QTimer::singleShot(0, &preview, &QDialog::reject);
        }
    });
    const int shown = preview.exec();
    if (failure)
        std::rethrow_exception(failure);
    // The preview closes as accepted after a print, even one the operator cancelled.
    return shown == QDialog::Accepted && !cancelled;
}

QPageLayout defaultPdfPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

bool printGridToPdf(const GridTable &grid, const QString &pdfFile, const QString &title, const QString &subtitle,
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
        result = PrintGrid(surface, grid, PrintSurface::Twips, title, subtitle, printSignLine, omittedColumns);
    }
    if (result != PrintGridResult::Printed) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        throw PrintError(QStringLiteral("打印机错误：无法写入文件 %1").arg(pdfFile));
    return true;
}
