#include "platform/ui/TextMeasure.h"

#include "platform/ui/Twips.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace TextMeasure {
namespace {

struct FontCache
{
    std::optional<QFontMetricsF> metrics;
    QHash<QString, int> widths;
};

constexpr qsizetype MaxEntriesPerFont = 100000;

// The key of a font is a long text built on every call; a grid fill measures in one
// font over and over, so the cache of the font measured last is found without it.
FontCache &cacheFor(const QFont &font)
{
    static std::unordered_map<QString, FontCache> caches;
    static QFont lastFont;
    static FontCache *lastCache = nullptr;
    if (lastCache && font == lastFont)
        return *lastCache;
    FontCache &cache = caches[font.key()]; // elements of the map never move
    if (!cache.metrics)
        cache.metrics.emplace(font);
    lastFont = font;
    lastCache = &cache;
    return cache;
}

} // namespace

int widthTwips(const QFont &font, const QString &text)
{
    if (text.isEmpty())
        return 0;
    FontCache &cache = cacheFor(font);
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

} // namespace TextMeasure
