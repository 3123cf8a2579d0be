#include "platform/print/PrintSurface.h"

PrintSurface::PrintSurface() : m_fontName(QStringLiteral("宋体")), m_fontSize(9) {}

PrintSurface::~PrintSurface() = default;

void PrintSurface::setScaleMode(int unit)
{
    if (unit != Twips)
        throw PrintError(QStringLiteral("无效的属性值：打印机不支持度量单位 %1").arg(unit), PrintError::InvalidPropertyValue);
    m_unit = unit;
}

void PrintSurface::setFontName(const QString &name)
{
    if (name == m_fontName)
        return;
    m_fontName = name;
    fontChanged();
}

void PrintSurface::setFontSize(double points)
{
    if (points == m_fontSize)
        return;
    m_fontSize = points;
    fontChanged();
}

void PrintSurface::setFontBold(bool bold)
{
    if (bold == m_fontBold)
        return;
    m_fontBold = bold;
    fontChanged();
}

QString PrintSurface::fontKey() const
{
    return m_fontName + QLatin1Char('/') + QString::number(m_fontSize) + (m_fontBold ? QStringLiteral("/b") : QString());
}

QFont PrintSurface::currentFont() const
{
    QFont font(m_fontName);
    font.setPointSizeF(m_fontSize);
    font.setBold(m_fontBold);
    return font;
}

double PrintSurface::textHeight(const QString &) const
{
    return lineHeight();
}

void PrintSurface::printText(const QString &text)
{
    if (!text.isEmpty())
        drawText(m_x, m_y, text);
    m_y += lineHeight();
    m_x = 0;
}
