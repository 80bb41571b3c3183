#include "app/ChartEnvelope.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace varlo::app {
namespace {

void Note(const ChartPoint& point, CollectedPoints& out) {
    if (!out.colour && point.Colour) out.colour = point.Colour;
}

// Appends the first, lowest, highest and last finite point of [from, to) in
// X order, each once.
void AppendEnvelope(const ChartPointRange& range, int from, int to, CollectedPoints& out) {
    int first = -1;
    int last = -1;
    int lowest = -1;
    int highest = -1;
    double low = 0.0;
    double high = 0.0;
    for (int i = from; i < to; ++i) {
        const ChartPoint point = range[i];
        Note(point, out);
        if (!std::isfinite(point.Y)) continue;
        if (first < 0) {
            first = lowest = highest = i;
            low = high = point.Y;
        }
        if (point.Y < low) low = point.Y, lowest = i;
        if (point.Y > high) high = point.Y, highest = i;
        last = i;
    }
    if (first < 0) return;
    int picked[4] = {first, lowest, highest, last};
    std::sort(std::begin(picked), std::end(picked));
    int previous = -1;
    for (int i : picked) {
        if (i == previous) continue;
        previous = i;
        const ChartPoint point = range[i];
        out.points.append(QPointF(point.X, point.Y));
    }
}

}  // namespace

void CollectPoints(const ChartPointRange& range, int columns, CollectedPoints& out) {
    out.points.clear();
    out.colour.reset();
    const int size = range.Size();
    columns = std::max(1, columns);
    if (size <= 4 * columns) {
        out.points.reserve(size);
        for (const ChartPoint& point : range) {
            Note(point, out);
            if (std::isfinite(point.Y)) out.points.append(QPointF(point.X, point.Y));
        }
        return;
    }
    out.points.reserve(4 * columns);
    for (int column = 0; column < columns; ++column) {
        const auto from = static_cast<int>(std::int64_t{size} * column / columns);
        const auto to = static_cast<int>(std::int64_t{size} * (column + 1) / columns);
        AppendEnvelope(range, from, to, out);
    }
}

}  // namespace varlo::app
