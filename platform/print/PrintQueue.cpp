#include "platform/print/PrintQueue.h"

#include "platform/print/PrintSurface.h"

#include <QFile>
#include <QPrintEngine>
#include <QPrinter>

#include <cups/cups.h>

#include <vector>

namespace {

// Where Qt's CUPS print support keeps the job options of its print dialog on the
// printer's engine: a list of names and values, one after the other.
const auto DialogJobOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

QString sides(const QPrinter &printer)
{
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        return QStringLiteral("one-sided");
    case QPrinter::DuplexLongSide:
        return QStringLiteral("two-sided-long-edge");
    case QPrinter::DuplexShortSide:
        return QStringLiteral("two-sided-short-edge");
    case QPrinter::DuplexAuto:
        break;
    }
    return printer.pageLayout().orientation() == QPageLayout::Portrait ? QStringLiteral("two-sided-long-edge")
                                                                       : QStringLiteral("two-sided-short-edge");
}

class CupsQueue : public PrintQueue
{
public:
    void submit(const QString &document, const PrintJob &job) override
    {
        // The names and values live as long as the list of options that points at them.
        std::vector<QByteArray> texts;
        texts.reserve(2 * job.options.size());
        std::vector<cups_option_t> options;
        for (const auto &[name, value] : job.options) {
            texts.push_back(name.toLocal8Bit());
            texts.push_back(value.toLocal8Bit());
            options.push_back({texts[texts.size() - 2].data(), texts.back().data()});
        }
        const int id = cupsPrintFile(job.queue.toLocal8Bit().constData(), QFile::encodeName(document).constData(),
                                     job.title.toLocal8Bit().constData(), int(options.size()), options.data());
        if (id == 0)
            throw PrintError(QStringLiteral("打印机错误：打印队列 %1 没有接受打印文档（%2）")
                                 .arg(job.queue, QString::fromLocal8Bit(cupsLastErrorString())));
    }
};

PrintQueue *&queueForTests()
{
    static PrintQueue *queue = nullptr;
    return queue;
}

} // namespace

PrintJob printJobOf(const QPrinter &printer)
{
    PrintJob job;
    job.queue = printer.printerName().section(QLatin1Char('/'), 0, 0);
    job.title = printer.docName();
    const QPageLayout page = printer.pageLayout();
    job.options.append({QStringLiteral("media"), page.pageSize().key()});
    if (printer.copyCount() > 1) {
        job.options.append({QStringLiteral("copies"), QString::number(printer.copyCount())});
        if (printer.collateCopies())
            job.options.append({QStringLiteral("Collate"), QStringLiteral("True")});
    }
    job.options.append({QStringLiteral("sides"), sides(printer)});
    if (page.orientation() == QPageLayout::Landscape)
        job.options.append({QStringLiteral("landscape"), QString()});
    const QStringList chosen = printer.printEngine()->property(DialogJobOptions).toStringList();
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
        job.options.append({chosen[i], chosen[i + 1]});
    return job;
}

PrintQueue &printQueue()
{
    static CupsQueue system;
    return queueForTests() ? *queueForTests() : system;
}

void setPrintQueueForTests(PrintQueue *queue)
{
    queueForTests() = queue;
}
