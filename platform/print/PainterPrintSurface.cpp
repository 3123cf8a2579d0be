#include "platform/print/PainterPrintSurface.h"

#include <QPagedPaintDevice>
#include <QPen>
#include <QPrinter>

#include <algorithm>

namespace {

constexpr double TwipsPerInch = 1440;

} // namespace

PainterPrintSurface::PainterPrintSurface(QPagedPaintDevice *device)
    : m_device(device), m_dotsPerTwipX(device->logicalDpiX() / TwipsPerInch),
      m_dotsPerTwipY(device->logicalDpiY() / TwipsPerInch)
{
}

PainterPrintSurface::~PainterPrintSurface()
{
    if (m_painter.isActive())
        abortDocument();
}

double PainterPrintSurface::printableWidth() const
{
    return m_device->width() / m_dotsPerTwipX;
}

double PainterPrintSurface::printableHeight() const
{
    return m_device->height() / m_dotsPerTwipY;
}

const PainterPrintSurface::FontMetrics &PainterPrintSurface::current() const
{
    if (m_current)
        return *m_current;
    const QString key = fontKey();
    auto found = m_fonts.find(key);
    if (found == m_fonts.end()) {
        const QFont font = currentFont();
        // The metrics of the font as the device resolves it, in the device's dots.
        QFontMetricsF metrics(font, m_device);
        const double ascent = metrics.ascent();
        const double height = metrics.height();
        found = m_fonts.emplace(key, FontMetrics{font, metrics, ascent, height}).first;
    }
    m_current = &found->second;
    return *m_current;
}

namespace {

// Characters whose text is laid out one advance after the other: Latin, CJK
// punctuation, kana, ideographs and full-width forms. Kerning between them only
// narrows a text or widens it by far less than the slack below.
bool simplyAdvanced(char16_t c)
{
    return (c >= 0x20 && c < 0x250) || (c >= 0x3000 && c < 0x3100) || (c >= 0x3400 && c < 0x4DC0)
        || (c >= 0x4E00 && c < 0xA000) || (c >= 0xFF00 && c < 0xFFF0);
}

// How much wider than the sum of its advances a text of those characters is taken to
// be at most, as a share of the sum and in dots.
constexpr double AdvanceSlack = 0.03;
constexpr double AdvanceSlackDots = 2;

} // namespace

std::optional<double> PainterPrintSurface::FontMetrics::widthAtMost(const QString &text) const
{
    if (advances.empty())
        advances.assign(0x10000, -1.0f);
    double sum = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!simplyAdvanced(c))
            return std::nullopt;
        float &advance = advances[c];
        if (advance < 0)
            advance = float(metrics.horizontalAdvance(ch));
        sum += advance;
    }
    return sum * (1 + AdvanceSlack) + AdvanceSlackDots;
}

bool PainterPrintSurface::textFits(const QString &text, double width) const
{
    if (const std::optional<double> most = current().widthAtMost(text); most && *most <= toDotsX(width))
        return true;
    return textWidth(text) <= width;
}

double PainterPrintSurface::textWidth(const QString &text) const
{
    const FontMetrics &font = current();
    auto found = font.widths.constFind(text);
    if (found == font.widths.constEnd()) {
        if (font.widths.size() >= MaxWidthsPerFont)
            font.widths.clear();
        found = font.widths.insert(text, font.metrics.horizontalAdvance(text));
    }
    return *found / m_dotsPerTwipX;
}

double PainterPrintSurface::lineHeight() const
{
    return current().height / m_dotsPerTwipY;
}

void PainterPrintSurface::fontChanged()
{
    m_current = nullptr;
    m_painterFontStale = true;
}

void PainterPrintSurface::begin()
{
    if (m_painter.isActive())
        return;
    if (!m_painter.begin(m_device)) {
        auto *printer = dynamic_cast<QPrinter *>(m_device);
        const QString where = printer && !printer->outputFileName().isEmpty() ? printer->outputFileName()
                                                                                : QStringLiteral("打印机");
        throw PrintError(QStringLiteral("打印机错误：无法开始打印（%1）").arg(where));
    }
    // A thin rule, about a dot of a 300 dpi printer, and never thinner than a dot.
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, m_device->logicalDpiX() / 300.0));
    m_painter.setPen(pen);
    m_painterFontStale = true;
}

void PainterPrintSurface::drawText(double x, double y, const QString &text)
{
    begin();
    const FontMetrics &font = current();
    if (m_painterFontStale) {
        m_painter.setFont(font.font);
        m_painterFontStale = false;
    }
    m_painter.drawText(QPointF(toDotsX(x), toDotsY(y) + font.ascent), text);
}

void PainterPrintSurface::drawLine(double x1, double y1, double x2, double y2)
{
    begin();
    m_painter.drawLine(QLineF(toDotsX(x1), toDotsY(y1), toDotsX(x2), toDotsY(y2)));
}

void PainterPrintSurface::newPage()
{
    begin();
    if (!m_device->newPage())
        throw PrintError(QStringLiteral("打印机错误：无法开始新的一页"));
}

void PainterPrintSurface::endDocument()
{
    if (m_painter.isActive() && !m_painter.end())
        throw PrintError(QStringLiteral("打印机错误：无法结束打印"));
}

void PainterPrintSurface::abortDocument()
{
    if (!m_painter.isActive())
        return;
    if (auto *printer = dynamic_cast<QPrinter *>(m_device); printer && printer->outputFormat() == QPrinter::NativeFormat)
        printer->abort();
    if (m_painter.isActive())
        m_painter.end();
}
