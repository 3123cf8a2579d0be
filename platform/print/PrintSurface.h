#pragma once

#include "platform/db/DbError.h"

#include <QFont>
#include <QString>

// The printer as a print routine sees it: a page with a printable width and height, a
// current font and a current position, texts, straight lines, a new page and the end
// of the document. Lengths are in the unit of measure set with setScaleMode; twips
// (1/1440 inch) is the one unit there is. Font sizes are in points.
//
// Every text is one line. Its top edge is at the current y when it is printed.
class PrintSurface
{
public:
    // The unit of measure "twips", as the windows give their own unit.
    static constexpr int Twips = 1;

    PrintSurface();
    virtual ~PrintSurface();
    PrintSurface(const PrintSurface &) = delete;
    PrintSurface &operator=(const PrintSurface &) = delete;

    // Any unit but Twips is refused with a PrintError.
    void setScaleMode(int unit);
    int scaleMode() const { return m_unit; }

    // The part of the page that can be printed on, measured from its top left corner.
    virtual double printableWidth() const = 0;
    virtual double printableHeight() const = 0;

    void setFontName(const QString &name);
    void setFontSize(double points);
    void setFontBold(bool bold);
    QString fontName() const { return m_fontName; }
    double fontSize() const { return m_fontSize; }
    bool fontBold() const { return m_fontBold; }

    // Measured in the current font. The height is that of one line, whatever the text.
    virtual double textWidth(const QString &text) const = 0;
    // Whether the text is no wider than width; a surface may know it without shaping the
    // text, and then answers exactly as textWidth(text) <= width would.
    virtual bool textFits(const QString &text, double width) const { return textWidth(text) <= width; }
    double textHeight(const QString &text) const;

    double currentX() const { return m_x; }
    void setCurrentX(double x) { m_x = x; }
    double currentY() const { return m_y; }
    void setCurrentY(double y) { m_y = y; }

    // Prints the text at the current position; then the current y moves down one line
    // of the current font and the current x goes back to 0. An empty text only moves
    // down.
    void printText(const QString &text);
    // A straight black line.
    virtual void drawLine(double x1, double y1, double x2, double y2) = 0;
    // Ends the page; what follows goes on the next one.
    virtual void newPage() = 0;
    // Ends the document and sends it. Without any output before, nothing is sent.
    virtual void endDocument() = 0;
    // Throws away the document begun: nothing of it is sent.
    virtual void abortDocument() = 0;

protected:
    // The height of a line of the current font.
    virtual double lineHeight() const = 0;
    // Draws a text whose top left corner is at (x, y), in the current font.
    virtual void drawText(double x, double y, const QString &text) = 0;
    // The font name, size or bold changed.
    virtual void fontChanged() {}
    // The current font as a text, for keeping what is measured per font.
    QString fontKey() const;
    // The current font (name, size in points, bold).
    QFont currentFont() const;

private:
    int m_unit = Twips;
    QString m_fontName;
    double m_fontSize;
    bool m_fontBold = false;
    double m_x = 0;
    double m_y = 0;
};

// A failure of the printer: it cannot be opened, refuses a page or a setting. The
// number is the one the original platform gives every printer error (482).
class PrintError : public db::DbError
{
public:
    static constexpr int PrinterError = 482;
    static constexpr int InvalidPropertyValue = 380;

    explicit PrintError(const QString &description, int number = PrinterError) : db::DbError(number, description) {}
};
