// Finds a test-sheet cross on a printed page by its upper and left arms (no text
// covers those): lines inked along the arm, not through the gap at its centre.
#pragma once

#include <QPointF>

#include <functional>
#include <optional>

namespace hoxa::test {

using InkAt = std::function<bool(int x, int y)>;  // false off the page

// The centre, in dot boundaries, of the cross expected at (ex, ey), looked for
// `search` dots around it, whose arms reach from `gap` to `arm` dots out.
inline std::optional<QPointF> CrossCentre(const InkAt& ink, int ex, int ey, int arm, int gap, int search)
{
    double middle[2] = {0, 0};
    for (int axis = 0; axis < 2; ++axis) {  // the upper arm's columns, the left arm's rows
        int lines = 0, sum = 0;
        for (int c = -search; c <= search; ++c) {
            int inked = 0, clear = 0;
            for (int d = 1; d < arm; ++d) {
                const bool dot = axis == 0 ? ink(ex + c, ey - d) : ink(ex - d, ey + c);
                if (d > gap) inked += dot;
                else clear += !dot;
            }
            if (inked * 5 >= (arm - gap - 1) * 4 && clear > 0) ++lines, sum += c;
        }
        if (lines == 0) return std::nullopt;
        middle[axis] = static_cast<double>(sum) / lines + 0.5;
    }
    return QPointF(ex + middle[0], ey + middle[1]);
}

}  // namespace hoxa::test
