#pragma once

// Timing of the window benchmarks: how long a piece of work takes, runs of several
// measurements in turn and their medians, the ratio to a floor, and "--only" for timing
// one side alone under a profiler.

#include "bench/OfficeData.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <array>
#include <chrono>
#include <ctime>
#include <optional>
#include <vector>

namespace bench {

// A window benchmark runs offscreen unless QT_QPA_PLATFORM names a platform; called
// before the QApplication is made.
inline void offscreenUnlessAsked()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// How long `work` takes, in ms.
template <typename Work>
double timeMs(Work &&work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return msSince(start);
}

// Wall-clock and processor time of a piece of work, in ms. The machine is shared with
// other builds, so the processor time, to which programs running beside add nothing, is
// the steadier figure.
struct Times
{
    double wall = 0;
    double cpu = 0;
};

inline double processorMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Started when made; elapsed() gives both times since.
class Stopwatch
{
public:
    Times elapsed() const { return {msSince(m_wall), processorMs() - m_cpu}; }

private:
    std::chrono::steady_clock::time_point m_wall = std::chrono::steady_clock::now();
    double m_cpu = processorMs();
};

// Each measurement (a function giving its ms) in turn, `runs` times over; their medians.
template <typename... Measurement>
std::array<double, sizeof...(Measurement)> interleavedMedians(int runs, Measurement &&...measurement)
{
    std::array<std::vector<double>, sizeof...(Measurement)> times;
    for (int k = 0; k < runs; ++k) {
        size_t i = 0;
        ((times[i++].push_back(measurement())), ...);
    }
    std::array<double, sizeof...(Measurement)> medians{};
    for (size_t i = 0; i < times.size(); ++i)
        medians[i] = median(times[i]);
    return medians;
}

// a / b with two decimals; 0 without a b.
inline QString ratioText(double a, double b)
{
    return QString::number(b > 0 ? a / b : 0, 'f', 2);
}

// "ratio 1.07 (target <= 1.25): met", or "MISSED".
inline QString ratioAgainstTarget(double window, double floor)
{
    const double r = floor > 0 ? window / floor : 0;
    return QStringLiteral("ratio ") + ratioText(window, floor) + QStringLiteral(" (target <= 1.25): ")
        + (r <= 1.25 ? QStringLiteral("met") : QStringLiteral("MISSED"));
}

// The side "--only window" or "--only floor" asks to time alone.
enum class Side { Window, Floor };
inline std::optional<Side> onlySide(const QStringList &arguments)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--only"));
    if (at <= 0 || at + 1 >= arguments.size())
        return std::nullopt;
    return arguments[at + 1] == QLatin1String("floor") ? Side::Floor : Side::Window;
}

// Times one side `runs` times (a function giving its ms) and prints
// "floor only: median of 7 12.34 ms".
template <typename Measurement>
void printOneSide(QTextStream &out, Side side, int runs, Measurement &&measurement)
{
    std::vector<double> times;
    for (int k = 0; k < runs; ++k)
        times.push_back(measurement());
    out << (side == Side::Floor ? "floor" : "window") << " only: median of " << runs << " " << msText(median(times)) << "\n";
}

} // namespace bench
