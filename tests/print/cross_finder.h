// Finds the test sheet's anchor crosses in a picture of a printed page: arms a
// few dots thick with a clear centre, told from the solid grid lines by the gap
// at their centre.
#pragma once

#include <QPointF>

#include <functional>
#include <optional>
#include <vector>

namespace hoxa::test {

// Whether the dot at (x, y) is inked; false off the page.
using InkAt = std::function<bool(int x, int y)>;

// The centre of the cross expected at dot boundary (ex, ey), searched `search`
// dots around it, for arms from `gap` to `arm` dots away from the centre.  It is
// where the middle of the upper arm's columns meets the middle of the left arm's
// rows (the two arms no text covers), in dot boundaries like the anchor.
inline std::optional<QPointF> CrossCentre(const InkAt& ink, int ex, int ey, int arm, int gap, int search)
{
    // The lines (columns, or rows with the axes swapped) of one arm: inked along
    // most of the arm, not all through its gap.
    const auto armLines = [&](bool columns) {
        std::vector<int> lines;
        for (int c = -search; c <= search; ++c) {
            const auto at = [&](int along, int across) {
                return columns ? ink(ex + across, ey - along) : ink(ex - along, ey + across);
            };
            int inked = 0, span = 0;
            for (int d = gap + 1; d < arm; ++d, ++span) inked += at(d, c) ? 1 : 0;
            bool gapClear = false;
            for (int d = 1; d <= gap; ++d) gapClear = gapClear || !at(d, c);
            if (span > 0 && inked * 5 >= span * 4 && gapClear) lines.push_back(c);
        }
        return lines;
    };
    // The run of neighbouring lines nearest the expected place.
    const auto middle = [](const std::vector<int>& lines) -> std::optional<double> {
        if (lines.empty()) return std::nullopt;
        std::size_t best = 0;
        for (std::size_t i = 1; i < lines.size(); ++i)
            if (std::abs(lines[i]) < std::abs(lines[best])) best = i;
        std::size_t first = best, last = best;
        while (first > 0 && lines[first - 1] == lines[first] - 1) --first;
        while (last + 1 < lines.size() && lines[last + 1] == lines[last] + 1) ++last;
        return (lines[first] + lines[last]) / 2.0 + 0.5;
    };
    const auto x = middle(armLines(true));
    const auto y = middle(armLines(false));
    if (!x || !y) return std::nullopt;
    return QPointF(ex + *x, ey + *y);
}

}  // namespace hoxa::test
