#include "analysis/FormLayout.h"

#include "model/TextPrimitives.h"

#include <algorithm>
#include <limits>

namespace quillon::analysis {

model::SourceKind FormRecord::objectKind() const
{
    return model::sourceKindOfLayoutObject(objectType);
}

} // namespace quillon::analysis

namespace quillon::analysis::placement {

namespace {

// Calls visit(n) for each container of control i, nearest first, until visit returns false.
// A reading always numbers a container before what it holds; the step limit keeps a layout
// built by other means with a Parent loop from hanging the caller.
template <typename Visit>
void forEachContainer(const FormLayout& layout, int i, Visit visit)
{
    if (!layout.isControl(i))
        return;
    int steps = layout.controlTotal();
    for (int p = layout.control(i).parent; layout.isControl(p) && steps-- > 0; p = layout.control(p).parent) {
        if (!visit(p))
            return;
    }
}

} // namespace

bool isAncestor(const FormLayout& layout, int a, int b)
{
    bool found = false;
    forEachContainer(layout, b, [&](int p) {
        found = p == a;
        return !found;
    });
    return found;
}

bool isEffectivelyVisible(const FormLayout& layout, int i)
{
    if (!layout.isControl(i) || !layout.control(i).visible)
        return false;
    bool visible = true;
    forEachContainer(layout, i, [&](int p) {
        visible = layout.control(p).visible;
        return visible;
    });
    return visible;
}

float overlapRatio(const FormLayout& layout, int a, int b)
{
    if (!layout.isControl(a) || !layout.isControl(b))
        return 0.0f;
    // In double: the areas of two large controls do not fit 32 bits.
    struct Box {
        double left, top, right, bottom;
        double area() const { return (right - left) * (bottom - top); }
    };
    auto box = [&](int n) {
        const ControlRecord& c = layout.control(n);
        return Box {double(c.absLeft), double(c.absTop), double(c.absLeft) + c.width, double(c.absTop) + c.height};
    };
    const Box first = box(a);
    const Box second = box(b);
    const Box common {std::max(first.left, second.left), std::max(first.top, second.top),
        std::min(first.right, second.right), std::min(first.bottom, second.bottom)};
    if (!(common.right > common.left && common.bottom > common.top))
        return 0.0f;
    const double smaller = std::min(first.area(), second.area());
    if (smaller == 0.0)
        return 0.0f;
    return float(common.area() / smaller);
}

bool computeAbsolutePositions(FormLayout& layout)
{
    constexpr qint64 kLow = std::numeric_limits<qint32>::min();
    constexpr qint64 kHigh = std::numeric_limits<qint32>::max();
    std::vector<std::pair<qint64, qint64>> sums(layout.controls.size());
    for (int i = 1; i <= layout.controlTotal(); ++i) {
        const ControlRecord& c = layout.control(i);
        qint64 left = c.left;
        qint64 top = c.top;
        forEachContainer(layout, i, [&](int p) {
            left += layout.control(p).left;
            top += layout.control(p).top;
            return true;
        });
        if (left < kLow || left > kHigh || top < kLow || top > kHigh)
            return false;
        sums[size_t(i - 1)] = {left, top};
    }
    for (int i = 1; i <= layout.controlTotal(); ++i) {
        layout.control(i).absLeft = qint32(sums[size_t(i - 1)].first);
        layout.control(i).absTop = qint32(sums[size_t(i - 1)].second);
    }
    return true;
}

bool assignLayers(FormLayout& layout)
{
    layout.form.layerCount = 0;
    for (ControlRecord& c : layout.controls)
        c.layer = 0;
    // The controls placed on each layer so far (index = layer), so that a control is only
    // compared with those of the layers it tries: a form of thousands of controls stays quick.
    std::vector<std::vector<int>> onLayer(1);
    qint64 comparisons = 0;
    auto conflicts = [&](int i, int layer) {
        if (layer >= int(onLayer.size()))
            return false;
        comparisons += qint64(onLayer[size_t(layer)].size());
        for (int j : onLayer[size_t(layer)]) {
            if (overlapRatio(layout, i, j) > 0.5f && !isAncestor(layout, i, j) && !isAncestor(layout, j, i))
                return true;
        }
        return false;
    };
    auto place = [&](int i) {
        ControlRecord& c = layout.control(i);
        int layer = 1;
        if (layout.isControl(c.parent) && layout.control(c.parent).layer > 1)
            layer = layout.control(c.parent).layer;
        // One control's search costs at most one comparison per control already placed, so
        // checking the total once it has its layer overshoots the limit by little.
        while (conflicts(i, layer))
            ++layer;
        c.layer = qint16(layer);
        if (layer >= int(onLayer.size()))
            onLayer.resize(size_t(layer) + 1);
        onLayer[size_t(layer)].push_back(i);
        layout.form.layerCount = qint16(std::max<int>(layout.form.layerCount, layer));
        return comparisons <= kMaxLayerComparisons;
    };
    // Visible controls first, so that hidden ones do not push them off the first layers.
    for (int pass = 0; pass < 2; ++pass) {
        const bool visiblePass = pass == 0;
        for (int i = 1; i <= layout.controlTotal(); ++i) {
            if (layout.control(i).hasSize && isEffectivelyVisible(layout, i) == visiblePass && !place(i))
                return false;
        }
    }
    return true;
}

} // namespace quillon::analysis::placement
