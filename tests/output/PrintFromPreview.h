// Printing a grid from the print preview as the operator does it, for the tests of
// the print engine's output.
#pragma once

#include "output/PrintGrid.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

struct PreviewPrint
{
    bool previewShown = false;
    bool cancelled = false; // 取消 was pressed in the print's progress dialog
    bool printed = false;   // what printGridWithPreview answered
};

// Opens the print preview of the program's printer; once it has laid out its pages,
// prints from it (the print dialog's OK) and closes it. With cancelAt > 0, presses 取消
// in the progress dialog of the print once that share of its rows is done (the grid
// must be large enough to show one).
inline PreviewPrint printFromPreview(FlexGrid *grid, const QString &title, const QString &subtitle,
                                     double cancelAt = 0)
{
    PreviewPrint run;
    // While the preview lays out a large grid its own progress dialog is the modal window.
    QTimer print;
    print.setInterval(20);
    QObject::connect(&print, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        print.stop();
        run.previewShown = true;
        if (auto *preview = dialog->findChild<QPrintPreviewWidget *>())
            preview->print();
        dialog->accept();
    });
    QTimer cancel;
    cancel.setInterval(10);
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (!run.previewShown || cancelAt <= 0 || run.cancelled)
            return;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *progress = qobject_cast<QProgressDialog *>(widget);
            if (progress && progress->isVisible() && progress->value() >= cancelAt * progress->maximum()) {
                if (auto *button = progress->findChild<QPushButton *>()) {
                    button->click();
                    run.cancelled = true;
                }
            }
        }
    });
    print.start();
    cancel.start();
    run.printed = printGridWithPreview(nullptr, *grid, title, subtitle, false, 0);
    return run;
}
