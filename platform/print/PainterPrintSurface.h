#pragma once

#include "platform/print/PrintSurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

#include <map>
#include <optional>
#include <vector>

class QPagedPaintDevice;

// The print surface on a paged device (a QPrinter, the printer of a print preview, a
// QPdfWriter): twips are mapped to the device's dots with its resolution, and the
// printable area is the page's paint rectangle. The painter is begun by the first
// output, so a routine that stops before printing anything opens no print job and
// writes no file.
class PainterPrintSurface : public PrintSurface
{
public:
    explicit PainterPrintSurface(QPagedPaintDevice *device);
    // A document still open is thrown away (abortDocument), as when an error ended the
    // print run.
    ~PainterPrintSurface() override;

    double printableWidth() const override;
    double printableHeight() const override;
    double textWidth(const QString &text) const override;
    bool textFits(const QString &text, double width) const override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    void newPage() override;
    void endDocument() override;
    // A print job is withdrawn where the printer can do it (QPrinter::abort); a file
    // the device has begun is left to its writer to remove.
    void abortDocument() override;

    // Whether output was begun and not yet ended or thrown away.
    bool documentOpen() const { return m_painter.isActive(); }

protected:
    double lineHeight() const override;
    void drawText(double x, double y, const QString &text) override;
    void fontChanged() override;

private:
    void begin();
    struct FontMetrics
    {
        QFont font;
        QFontMetricsF metrics;
        double ascent;
        double height;
        // Widths of texts measured in this font, in dots: a table's cells repeat their
        // texts (dates, names, items), and a cell is measured to fit it and again to
        // align it. Shaping each text once keeps every width exactly as measured.
        mutable QHash<QString, double> widths = {};
        // Advances of single characters, in dots, by code unit (negative: not yet
        // measured); made on first use.
        mutable std::vector<float> advances = {};
        // A bound on the text's width in dots, from its characters' advances, for texts
        // of scripts whose shaping does not widen them; none for other texts.
        std::optional<double> widthAtMost(const QString &text) const;
    };
    const FontMetrics &current() const;
    double toDotsX(double twips) const { return twips * m_dotsPerTwipX; }
    double toDotsY(double twips) const { return twips * m_dotsPerTwipY; }

    QPagedPaintDevice *m_device;
    QPainter m_painter;
    double m_dotsPerTwipX;
    double m_dotsPerTwipY;
    bool m_painterFontStale = true;
    // The fonts used so far with their metrics on this device: a page changes between
    // the head's font and the grid's font, and every page does it again.
    mutable std::map<QString, FontMetrics> m_fonts;
    static constexpr qsizetype MaxWidthsPerFont = 100000;
    mutable const FontMetrics *m_current = nullptr;
};
