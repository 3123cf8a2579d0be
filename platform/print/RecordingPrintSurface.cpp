#include "platform/print/RecordingPrintSurface.h"

#include <QImage>

namespace {

constexpr double LineTwipsPerPoint = 25;
constexpr double EmTwipsPerPoint = 20;
constexpr char16_t FirstFullWidth = 0x2E80;

// A device of 1440 dots per inch for measuring fonts in twips.
const QImage &twipsDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        const int dotsPerMetre = qRound(1440 / 0.0254);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }();
    return device;
}

} // namespace

RecordingPrintSurface::RecordingPrintSurface(double printableWidth, double printableHeight, Metrics metrics)
    : m_width(printableWidth), m_height(printableHeight), m_metrics(metrics)
{
}

void RecordingPrintSurface::setPrintableSize(double width, double height)
{
    m_width = width;
    m_height = height;
}

const QFontMetricsF &RecordingPrintSurface::fontMetrics() const
{
    const QString key = fontKey();
    auto found = m_fonts.find(key);
    if (found == m_fonts.end()) {
        const QFont font = currentFont();
        found = m_fonts.emplace(key, QFontMetricsF(font, &twipsDevice())).first;
    }
    return found->second;
}

double RecordingPrintSurface::textWidth(const QString &text) const
{
    if (m_metrics == Metrics::Font)
        return fontMetrics().horizontalAdvance(text);
    double ems = 0;
    for (const QChar ch : text)
        ems += ch.unicode() < FirstFullWidth ? 0.5 : 1.0;
    return ems * EmTwipsPerPoint * fontSize();
}

double RecordingPrintSurface::lineHeight() const
{
    if (m_metrics == Metrics::Font)
        return fontMetrics().height();
    return LineTwipsPerPoint * fontSize();
}

void RecordingPrintSurface::output()
{
    if (m_page == 0)
        m_page = 1;
}

void RecordingPrintSurface::drawText(double x, double y, const QString &text)
{
    output();
    m_texts.append({m_page, x, y, text, fontName(), fontSize(), fontBold()});
}

void RecordingPrintSurface::drawLine(double x1, double y1, double x2, double y2)
{
    output();
    m_lines.append({m_page, x1, y1, x2, y2});
}

void RecordingPrintSurface::newPage()
{
    output();
    ++m_page;
}

void RecordingPrintSurface::endDocument()
{
    m_ended = true;
}

void RecordingPrintSurface::abortDocument()
{
    m_aborted = true;
}

QList<RecordingPrintSurface::Text> RecordingPrintSurface::textsOnPage(int page) const
{
    QList<Text> result;
    for (const Text &text : m_texts)
        if (text.page == page)
            result.append(text);
    return result;
}

QList<RecordingPrintSurface::Line> RecordingPrintSurface::linesOnPage(int page) const
{
    QList<Line> result;
    for (const Line &line : m_lines)
        if (line.page == page)
            result.append(line);
    return result;
}
