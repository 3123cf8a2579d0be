#include "platform/ui/TextMeasure.h"

#include "platform/ui/Twips.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <cmath>
#include <optional>

namespace TextMeasure {
namespace {

struct FontCache
{
    std::optional<QFontMetricsF> metrics;
    QHash<QString, int> widths;
};

constexpr qsizetype MaxEntriesPerFont = 100000;

FontCache &cacheFor(const QFont &font)
{
    static QHash<QString, FontCache> caches;
    FontCache &cache = caches[font.key()];
    if (!cache.metrics)
        cache.metrics.emplace(font);
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
