#pragma once
#include "config/PageSetup.h"
#include "config/SuppressibleMessages.h"
#include "model/DiagLog.h"
#include "platform/MessageBox.h"
#include "print/LinePrinter.h"
#include "print/PageFrame.h"
#include "support/RecordingPrintSurface.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"

namespace quillon::test {

// A page set-up on the recording surface (10-point characters are 120 × 240 twips; Letter
// printable area 11520 × 15120), with the frame, the line printer and scripted messages.
struct PrintBench {
    using Op = RecordingPrintSurface::Op;
    RecordingPrintSurface surface;
    config::PageSetup setup;
    config::PrintDevice printer {surface, setup};
    print::PrintRunState run;
    print::PageFrame frame {printer, run};
    Fixture fx;
    model::DiagLog log {QString()};
    config::IniStore ini {fx.path("QLN.spi"), &log};
    ScriptedMessageBox box;
    config::SuppressibleMessages messages {ini, box};
    print::LinePrinter lines {frame, run, &messages};

    PrintBench()
    {
        printer.now = [] { return QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9)); };
        for (int i = 0; i < 10; ++i)
            lines.colours[size_t(i)] = quint32(1000 + i); // recognisable stand-ins
    }
    const config::PageGeometry& compute()
    {
        printer.computePageGeometry(true);
        return printer.geometry();
    }
    // The recorded operations of one kind; texts optionally only those equal to `text`, and
    // optionally only on one page.
    std::vector<Op> of(Op::Kind kind, const QString& text = QString(), int page = 0) const
    {
        std::vector<Op> out;
        for (const Op& op : surface.ops) {
            if (op.kind == kind && (text.isNull() || op.text == text) && (page == 0 || op.page == page))
                out.push_back(op);
        }
        return out;
    }
};

} // namespace quillon::test
