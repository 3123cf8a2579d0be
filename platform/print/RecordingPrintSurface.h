#pragma once

#include "platform/print/PrintSurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QList>

#include <map>

// A print surface that prints nothing and records everything: each text and each
// line with its position, font and page, the page breaks and how the document ended.
// Its printable size is set by its user. Texts are measured in one of two ways:
//
// - Fixed metrics, independent of any installed font: a line is 25 twips per point of
//   the font size high (a 9 point line is 225 twips), a character is 20 twips per point
//   wide (an em), a character before U+2E80 (Latin letters, digits, spaces, punctuation)
//   half of that; bold changes nothing.
// - Font metrics: the real font, measured with QFontMetricsF at 1440 dots per inch, so
//   one dot is one twip.
class RecordingPrintSurface : public PrintSurface
{
public:
    enum class Metrics { Fixed, Font };

    struct Text
    {
        int page; // from 1
        double x;
        double y; // top edge
        QString text;
        QString fontName;
        double fontSize;
        bool bold;
    };
    struct Line
    {
        int page;
        double x1, y1, x2, y2;
    };

    RecordingPrintSurface(double printableWidth, double printableHeight, Metrics metrics = Metrics::Fixed);

    void setPrintableSize(double width, double height);
    double printableWidth() const override { return m_width; }
    double printableHeight() const override { return m_height; }
    double textWidth(const QString &text) const override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    void newPage() override;
    void endDocument() override;
    void abortDocument() override;

    const QList<Text> &texts() const { return m_texts; }
    const QList<Line> &lines() const { return m_lines; }
    QList<Text> textsOnPage(int page) const;
    QList<Line> linesOnPage(int page) const;
    // The pages begun: 0 before any output, then 1, and one more for each new page.
    int pageCount() const { return m_page; }
    bool documentEnded() const { return m_ended; }
    bool documentAborted() const { return m_aborted; }
    // Whether anything was output at all (a text, a line or a new page).
    bool hasOutput() const { return m_page > 0; }

protected:
    double lineHeight() const override;
    void drawText(double x, double y, const QString &text) override;

private:
    void output();
    const QFontMetricsF &fontMetrics() const;

    double m_width;
    double m_height;
    Metrics m_metrics;
    int m_page = 0;
    bool m_ended = false;
    bool m_aborted = false;
    QList<Text> m_texts;
    QList<Line> m_lines;
    mutable std::map<QString, QFontMetricsF> m_fonts;
};
