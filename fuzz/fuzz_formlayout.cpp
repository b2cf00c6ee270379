// The form layout reader: nested Begin ... End blocks of a form file, read into the form,
// its controls and its menus with positions and layers.
#include "FuzzSupport.h"

#include "formimage/FormLayoutReader.h"

using namespace quillon;
using namespace quillon::formimage;

namespace {

void CheckLayout(const FormLayout& layout)
{
    FUZZ_CHECK(layout.ControlTotal() <= FormLayoutReader::kMaxObjects);
    FUZZ_CHECK(layout.MenuTotal() <= FormLayoutReader::kMaxObjects);
    FUZZ_CHECK(layout.Form.ControlCount == layout.ControlTotal() && layout.Form.MenuCount == layout.MenuTotal());
    for (int i = 1; i <= layout.ControlTotal(); ++i) {
        const ControlRecord& c = layout.Control(i);
        // A container is numbered before what it holds.
        FUZZ_CHECK(c.Parent == -1 || (c.Parent >= 1 && c.Parent < i));
        const qint64 parentLeft = c.Parent == -1 ? 0 : layout.Control(c.Parent).AbsLeft;
        const qint64 parentTop = c.Parent == -1 ? 0 : layout.Control(c.Parent).AbsTop;
        FUZZ_CHECK(qint64(c.AbsLeft) == parentLeft + c.Left && qint64(c.AbsTop) == parentTop + c.Top);
        FUZZ_CHECK(c.Layer >= 0 && c.Layer <= layout.Form.LayerCount);
        // Every drawable control has a layer, and no other does.
        FUZZ_CHECK((c.Layer > 0) == c.HasSize);
        if (c.HasSize && c.TypeName.compare(QLatin1String("VB.Line"), Qt::CaseInsensitive) != 0)
            FUZZ_CHECK(c.Width >= 1 && c.Height >= 1);
        for (int j = 1; j < i; ++j) {
            const ControlRecord& other = layout.Control(j);
            if (c.Layer == 0 || other.Layer != c.Layer || placement::IsAncestor(layout, i, j)
                || placement::IsAncestor(layout, j, i))
                continue;
            // Controls that share a layer cover each other by half at most, unless one holds the other.
            FUZZ_CHECK(placement::OverlapRatio(layout, i, j) <= 0.5f);
        }
    }
    for (int m = 1; m <= layout.MenuTotal(); ++m) {
        // A menu is at most one level below the one before it.
        const int level = layout.Menu(m).Level;
        FUZZ_CHECK(level >= 0 && level <= (m == 1 ? 0 : layout.Menu(m - 1).Level + 1));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = fuzz::SourceLines(fuzz::Bytes(data, size));
    const model::SourceReader reader(model::CodePage::Default(), nullptr);
    FormLayoutReader form(reader, nullptr);
    const QString path = QStringLiteral("/fuzz/Form1.frm");
    if (form.ReadFormLayoutLines(path, lines)) {
        FUZZ_CHECK(form.LastMessage().isEmpty());
        FUZZ_CHECK(form.UnclosedObjects() >= 0 && form.UnclosedObjects() <= FormLayoutReader::kMaxNesting);
        CheckLayout(form.Layout());
    } else {
        // A failed reading says why, names the file and leaves nothing half read.
        FUZZ_CHECK(form.LastMessage().contains(path));
        FUZZ_CHECK(form.Layout().ControlTotal() == 0 && form.Layout().MenuTotal() == 0);
        FUZZ_CHECK(form.UnclosedObjects() == 0);
    }
    return 0;
}
