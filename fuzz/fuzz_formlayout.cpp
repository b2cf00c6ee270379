// The form layout reader: nested Begin ... End blocks of a form file, read into the form,
// its controls and its menus with positions and layers.
#include "FuzzSupport.h"

#include "analysis/FormLayoutReader.h"

using namespace quillon;
using namespace quillon::analysis;

namespace {

void checkLayout(const FormLayout& layout)
{
    FUZZ_CHECK(layout.controlTotal() <= FormLayoutReader::kMaxObjects);
    FUZZ_CHECK(layout.menuTotal() <= FormLayoutReader::kMaxObjects);
    FUZZ_CHECK(layout.form.controlCount == layout.controlTotal() && layout.form.menuCount == layout.menuTotal());
    for (int i = 1; i <= layout.controlTotal(); ++i) {
        const ControlRecord& c = layout.control(i);
        // A container is numbered before what it holds.
        FUZZ_CHECK(c.parent == -1 || (c.parent >= 1 && c.parent < i));
        const qint64 parentLeft = c.parent == -1 ? 0 : layout.control(c.parent).absLeft;
        const qint64 parentTop = c.parent == -1 ? 0 : layout.control(c.parent).absTop;
        FUZZ_CHECK(qint64(c.absLeft) == parentLeft + c.left && qint64(c.absTop) == parentTop + c.top);
        FUZZ_CHECK(c.layer >= 0 && c.layer <= layout.form.layerCount);
        // Every drawable control has a layer, and no other does.
        FUZZ_CHECK((c.layer > 0) == c.hasSize);
        if (c.hasSize && c.typeName.compare(QLatin1String("VB.Line"), Qt::CaseInsensitive) != 0)
            FUZZ_CHECK(c.width >= 1 && c.height >= 1);
        for (int j = 1; j < i; ++j) {
            const ControlRecord& other = layout.control(j);
            if (c.layer == 0 || other.layer != c.layer || placement::isAncestor(layout, i, j)
                || placement::isAncestor(layout, j, i))
                continue;
            // Controls that share a layer cover each other by half at most, unless one holds the other.
            FUZZ_CHECK(placement::overlapRatio(layout, i, j) <= 0.5f);
        }
    }
    for (int m = 1; m <= layout.menuTotal(); ++m) {
        // A menu is at most one level below the one before it.
        const int level = layout.menu(m).level;
        FUZZ_CHECK(level >= 0 && level <= (m == 1 ? 0 : layout.menu(m - 1).level + 1));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = fuzz::sourceLines(fuzz::bytes(data, size));
    const model::SourceReader reader(model::CodePage::standard(), nullptr);
    FormLayoutReader form(reader, nullptr);
    const QString path = QStringLiteral("/fuzz/Form1.frm");
    const model::Outcome<void> read = form.readFormLayoutLines(path, lines);
    if (read) {
        FUZZ_CHECK(form.unclosedObjects() >= 0 && form.unclosedObjects() <= FormLayoutReader::kMaxNesting);
        checkLayout(form.layout());
    } else {
        // A failed reading says why, names the file and leaves nothing half read.
        FUZZ_CHECK(read.error().contains(path));
        FUZZ_CHECK(form.layout().controlTotal() == 0 && form.layout().menuTotal() == 0);
        FUZZ_CHECK(form.unclosedObjects() == 0);
    }
    return 0;
}
