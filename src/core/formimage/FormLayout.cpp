#include "formimage/FormLayout.h"

#include <algorithm>
#include <limits>

namespace quillon::formimage::placement {

namespace {

// Calls visit(n) for each container of control i, nearest first, until visit returns false.
// A reading always numbers a container before what it holds; the step limit keeps a layout
// built by other means with a Parent loop from hanging the caller.
template <typename Visit>
void ForEachContainer(const FormLayout& layout, int i, Visit visit)
{
    if (!layout.IsControl(i))
        return;
    int steps = layout.ControlTotal();
    for (int p = layout.Control(i).Parent; layout.IsControl(p) && steps-- > 0; p = layout.Control(p).Parent) {
        if (!visit(p))
            return;
    }
}

} // namespace

bool IsAncestor(const FormLayout& layout, int a, int b)
{
    bool found = false;
    ForEachContainer(layout, b, [&](int p) {
        found = p == a;
        return !found;
    });
    return found;
}

bool IsEffectivelyVisible(const FormLayout& layout, int i)
{
    if (!layout.IsControl(i) || !layout.Control(i).Visible)
        return false;
    bool visible = true;
    ForEachContainer(layout, i, [&](int p) {
        visible = layout.Control(p).Visible;
        return visible;
    });
    return visible;
}

float OverlapRatio(const FormLayout& layout, int a, int b)
{
    if (!layout.IsControl(a) || !layout.IsControl(b))
        return 0.0f;
    // In double: the areas of two large controls do not fit 32 bits.
    struct Box {
        double left, top, right, bottom;
        double Area() const { return (right - left) * (bottom - top); }
    };
    auto box = [&](int n) {
        const ControlRecord& c = layout.Control(n);
        return Box{double(c.AbsLeft), double(c.AbsTop), double(c.AbsLeft) + c.Width, double(c.AbsTop) + c.Height};
    };
    const Box first = box(a);
    const Box second = box(b);
    const Box common{std::max(first.left, second.left), std::max(first.top, second.top),
                     std::min(first.right, second.right), std::min(first.bottom, second.bottom)};
    if (!(common.right > common.left && common.bottom > common.top))
        return 0.0f;
    const double smaller = std::min(first.Area(), second.Area());
    if (smaller == 0.0)
        return 0.0f;
    return float(common.Area() / smaller);
}

bool MenuHasSubItems(const FormLayout& layout, int m, int level)
{
    if (!layout.IsMenu(m))
        return false;
    for (int n = m + 1; n <= layout.MenuTotal(); ++n) {
        const int other = layout.Menu(n).Level;
        if (other == level)
            return true;
        if (other < level)
            return false;
    }
    return false;
}

bool ComputeAbsolutePositions(FormLayout& layout)
{
    constexpr qint64 kLow = std::numeric_limits<qint32>::min();
    constexpr qint64 kHigh = std::numeric_limits<qint32>::max();
    std::vector<std::pair<qint64, qint64>> sums(layout.Controls.size());
    for (int i = 1; i <= layout.ControlTotal(); ++i) {
        const ControlRecord& c = layout.Control(i);
        qint64 left = c.Left;
        qint64 top = c.Top;
        ForEachContainer(layout, i, [&](int p) {
            left += layout.Control(p).Left;
            top += layout.Control(p).Top;
            return true;
        });
        if (left < kLow || left > kHigh || top < kLow || top > kHigh)
            return false;
        sums[size_t(i - 1)] = {left, top};
    }
    for (int i = 1; i <= layout.ControlTotal(); ++i) {
        layout.Control(i).AbsLeft = qint32(sums[size_t(i - 1)].first);
        layout.Control(i).AbsTop = qint32(sums[size_t(i - 1)].second);
    }
    return true;
}

bool AssignLayers(FormLayout& layout)
{
    layout.Form.LayerCount = 0;
    for (ControlRecord& c : layout.Controls)
        c.Layer = 0;
    // The controls placed on each layer so far (index = layer), so that a control is only
    // compared with those of the layers it tries: a form of thousands of controls stays quick.
    std::vector<std::vector<int>> onLayer(1);
    qint64 comparisons = 0;
    auto conflicts = [&](int i, int layer) {
        if (layer >= int(onLayer.size()))
            return false;
        comparisons += qint64(onLayer[size_t(layer)].size());
        for (int j : onLayer[size_t(layer)]) {
            if (OverlapRatio(layout, i, j) > 0.5f && !IsAncestor(layout, i, j) && !IsAncestor(layout, j, i))
                return true;
        }
        return false;
    };
    auto place = [&](int i) {
        ControlRecord& c = layout.Control(i);
        int layer = 1;
        if (layout.IsControl(c.Parent) && layout.Control(c.Parent).Layer > 1)
            layer = layout.Control(c.Parent).Layer;
        // One control's search costs at most one comparison per control already placed, so
        // checking the total once it has its layer overshoots the limit by little.
        while (conflicts(i, layer))
            ++layer;
        c.Layer = qint16(layer);
        if (layer >= int(onLayer.size()))
            onLayer.resize(size_t(layer) + 1);
        onLayer[size_t(layer)].push_back(i);
        layout.Form.LayerCount = qint16(std::max<int>(layout.Form.LayerCount, layer));
        return comparisons <= kMaxLayerComparisons;
    };
    // Visible controls first, so that hidden ones do not push them off the first layers.
    for (int pass = 0; pass < 2; ++pass) {
        const bool visiblePass = pass == 0;
        for (int i = 1; i <= layout.ControlTotal(); ++i) {
            if (layout.Control(i).HasSize && IsEffectivelyVisible(layout, i) == visiblePass && !place(i))
                return false;
        }
    }
    return true;
}

} // namespace quillon::formimage::placement
