#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QPrinter;

// A document on its way to a printer queue of the system (CUPS): the queue, the job's
// name and the job options the operator chose in the print dialog.
struct PrintJob
{
    QString queue; // the queue's name, without an instance ("tess" of "tess/draft")
    QString title;
    QList<QPair<QString, QString>> options; // name and value, as CUPS takes them
};

// The job a printer sends as the operator set it up: its queue, its document name, its
// paper, copies, sides and orientation, and the dialog's further options (page ranges,
// pages per sheet, banners, …).
PrintJob printJobOf(const QPrinter &printer);

// The printer queues. A document is handed over complete, in one step: whatever was
// not handed over never reaches a printer.
class PrintQueue
{
public:
    virtual ~PrintQueue() = default;
    // Hands the PDF file document to the job's queue. The file may go as soon as this
    // returns. A queue that refuses the job throws a PrintError.
    virtual void submit(const QString &document, const PrintJob &job) = 0;
};

// The system's queues, or the stand-in a test has set.
PrintQueue &printQueue();
// Tests hand documents to a stand-in; nullptr brings back the system's queues.
void setPrintQueueForTests(PrintQueue *queue);
