#include "platform/ui/TextMeasure.h"

#include "platform/ui/Twips.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <vector>

namespace TextMeasure {
namespace {

struct FontCache
{
    std::optional<QFontMetricsF> metrics;
    QHash<QString, int> widths;
    std::vector<float> advances; // by UTF-16 code, negative until measured
};

// Characters measured one by one: Latin and the CJK blocks, which neither kern nor
// join in the windows' fonts (as the desktop's own text measuring, which ignores
// kerning). Other scripts are shaped as a whole.
bool measuredByCharacter(char16_t c)
{
    return (c >= 0x20 && c < 0x0300) || (c >= 0x3000 && c < 0xA000) || (c >= 0xFF00 && c < 0xFFF0);
}

// The width in pixels as the sum of the characters' advances; false when the text has
// a character that must be shaped with its neighbours.
template<typename Text>
bool sumOfAdvances(FontCache &cache, const Text &text, double *pixels)
{
    if (cache.advances.empty())
        cache.advances.assign(0x10000, -1.0f);
    double sum = 0;
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!measuredByCharacter(c))
            return false;
        float &advance = cache.advances[c];
        if (advance < 0)
            advance = float(cache.metrics->horizontalAdvance(ch));
        sum += advance;
    }
    *pixels = sum;
    return true;
}

constexpr qsizetype MaxEntriesPerFont = 100000;

// The key of a font is a long text built on every call; a grid fill measures in one
// font over and over, so the cache of the font measured last is found without it.
struct Caches
{
    std::unordered_map<QString, FontCache> byFont; // elements of the map never move
    QFont lastFont;
    FontCache *lastCache = nullptr;
};

Caches &caches()
{
    static Caches all;
    return all;
}

// The metrics hold the application's font engines: they go with the application, not
// after it (when fontconfig's patterns of the fallback fonts could no longer be freed).
void releaseCaches()
{
    Caches &all = caches();
    all.lastCache = nullptr;
    all.lastFont = QFont();
    all.byFont.clear();
}

FontCache &cacheFor(const QFont &font)
{
    Caches &all = caches();
    // A copy of the same font is recognised without comparing its attributes.
    if (all.lastCache && (font.isCopyOf(all.lastFont) || font == all.lastFont))
        return *all.lastCache;
    if (all.byFont.empty())
        qAddPostRoutine(releaseCaches);
    FontCache &cache = all.byFont[font.key()];
    if (!cache.metrics)
        cache.metrics.emplace(font);
    all.lastFont = font;
    all.lastCache = &cache;
    return cache;
}

} // namespace

int widthTwips(const QFont &font, const QString &text)
{
    if (text.isEmpty())
        return 0;
    FontCache &cache = cacheFor(font);
    double pixels = 0;
    if (sumOfAdvances(cache, text, &pixels))
        return static_cast<int>(std::lround(pixels * Twips::PerPixel));
    auto found = cache.widths.constFind(text);
    if (found != cache.widths.constEnd())
        return *found;
    // Twips are whole numbers; measure in fractional pixels and round once.
    const int width = static_cast<int>(std::lround(cache.metrics->horizontalAdvance(text) * Twips::PerPixel));
    if (cache.widths.size() >= MaxEntriesPerFont)
        cache.widths.clear();
    cache.widths.insert(text, width);
    return width;
}

int widthTwips(const QFont &font, QLatin1StringView text)
{
    double pixels = 0;
    if (text.isEmpty() || !sumOfAdvances(cacheFor(font), text, &pixels))
        return text.isEmpty() ? 0 : widthTwips(font, QString(text));
    return static_cast<int>(std::lround(pixels * Twips::PerPixel));
}

} // namespace TextMeasure
