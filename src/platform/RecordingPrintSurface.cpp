#include "platform/RecordingPrintSurface.h"

#include <QFile>

namespace quillon::platform {

RecordingPrintSurface::RecordingPrintSurface()
{
    printers = {{QStringLiteral("Recording PDF"), QStringLiteral("Recording PDF Writer"), QStringLiteral("FILE:")},
                {QStringLiteral("Office Laser"), QStringLiteral("Laser 9000"), QStringLiteral("IP_10.0.0.9")}};
    defaultDevice = printers.front().deviceName;
    current_ = printers.front();
}

bool RecordingPrintSurface::SelectDevice(const QString& deviceName)
{
    for (const PrinterInfo& printer : printers) {
        if (printer.deviceName.compare(deviceName.trimmed(), Qt::CaseInsensitive) == 0) {
            current_ = printer;
            return true;
        }
    }
    return false;
}

double RecordingPrintSurface::SheetWidth() const
{
    const double width = 12240;
    const double height = paper_ == 5 ? 20160 : 15840;
    return orientation_ == 2 ? height : width;
}

double RecordingPrintSurface::SheetHeight() const
{
    const double width = 12240;
    const double height = paper_ == 5 ? 20160 : 15840;
    return orientation_ == 2 ? width : height;
}

RecordingPrintSurface::Op RecordingPrintSurface::Base(Op::Kind kind)
{
    if (kind != Op::Kind::EndDocument)
        OpenDocumentIfEnded();
    Op op;
    op.kind = kind;
    op.page = page_;
    op.color = color_;
    op.bold = bold_;
    op.italic = italic_;
    op.fontSize = fontSize_;
    op.fontName = fontName_;
    return op;
}

void RecordingPrintSurface::PrintText(QStringView text, bool lineEnd)
{
    Op op = Base(Op::Kind::Text);
    op.text = text.toString();
    op.x = x_;
    op.y = y_;
    op.lineEnd = lineEnd;
    ops.push_back(op);
    if (lineEnd) {
        x_ = 0;
        y_ += TextHeight(u"X");
    } else {
        x_ += TextWidth(text);
    }
}

void RecordingPrintSurface::Record(Op::Kind kind, double x1, double y1, double x2, double y2, quint32 rgb, int width,
                                   LineStyle style)
{
    Op op = Base(kind);
    op.x = x1;
    op.y = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.color = rgb;
    op.width = width;
    op.style = style;
    ops.push_back(op);
}

void RecordingPrintSurface::DrawLine(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style)
{
    Record(Op::Kind::Line, x1, y1, x2, y2, rgb, width, style);
}

void RecordingPrintSurface::DrawBox(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style)
{
    Record(Op::Kind::Box, x1, y1, x2, y2, rgb, width, style);
}

void RecordingPrintSurface::FillBox(double x1, double y1, double x2, double y2, quint32 rgb)
{
    Record(Op::Kind::Fill, x1, y1, x2, y2, rgb, 0, LineStyle::Solid);
}

void RecordingPrintSurface::OpenDocumentIfEnded()
{
    if (!ended_)
        return;
    ended_ = false;
    ++page_;
    documentStart_ = page_;
}

void RecordingPrintSurface::NewPage()
{
    OpenDocumentIfEnded();
    ++page_;
    ops.push_back(Base(Op::Kind::NewPage));
    x_ = 0;
    y_ = 0;
}

bool RecordingPrintSurface::EndDocument()
{
    ops.push_back(Base(Op::Kind::EndDocument));
    documents.push_back({outputFile, PagesStarted()});
    if (writeFiles && !outputFile.isEmpty()) {
        QFile file(outputFile);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write("recorded document of " + QByteArray::number(PagesStarted()) + " pages\n");
    }
    ended_ = true;
    return !failEnd;
}

QStringList RecordingPrintSurface::Texts() const
{
    QStringList texts;
    for (const Op& op : ops) {
        if (op.kind == Op::Kind::Text)
            texts << op.text;
    }
    return texts;
}

QStringList RecordingPrintSurface::TextsOnPage(int page) const
{
    QStringList texts;
    for (const Op& op : ops) {
        if (op.kind == Op::Kind::Text && op.page == page)
            texts << op.text;
    }
    return texts;
}

QStringList RecordingPrintSurface::Lines() const
{
    QStringList lines;
    QString current;
    bool open = false;
    for (const Op& op : ops) {
        if (op.kind != Op::Kind::Text)
            continue;
        current += op.text;
        open = true;
        if (op.lineEnd) {
            lines << current;
            current.clear();
            open = false;
        }
    }
    if (open)
        lines << current;
    return lines;
}

} // namespace quillon::platform
