#include "support/RecordingPrintSurface.h"

#include <QFile>

namespace quillon::test {

RecordingPrintSurface::RecordingPrintSurface()
{
    installedPrinters = {{QStringLiteral("Recording PDF"), QStringLiteral("Recording PDF Writer"), QStringLiteral("FILE:")},
        {QStringLiteral("Office Laser"), QStringLiteral("Laser 9000"), QStringLiteral("IP_10.0.0.9")}};
    defaultDevice = installedPrinters.front().deviceName;
    current_ = installedPrinters.front();
}

bool RecordingPrintSurface::selectDevice(const QString& deviceName)
{
    for (const platform::PrinterInfo& printer : installedPrinters) {
        if (printer.deviceName.compare(deviceName.trimmed(), Qt::CaseInsensitive) == 0) {
            current_ = printer;
            return true;
        }
    }
    return false;
}

RecordingPrintSurface::Op RecordingPrintSurface::base(Op::Kind kind)
{
    if (kind != Op::Kind::EndDocument && kind != Op::Kind::AbandonDocument)
        openDocumentIfEnded();
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

void RecordingPrintSurface::printText(QStringView text, bool lineEnd)
{
    Op op = base(Op::Kind::Text);
    op.text = text.toString();
    op.x = x_;
    op.y = y_;
    op.lineEnd = lineEnd;
    ops.push_back(op);
    if (links_.active() && !text.isEmpty()) // points from the sheet's corner, 360 twips outside the printable area
        links_.add(pagesStarted() - 1, QRectF((360 + x_) / 20, (360 + y_) / 20, textWidth(text) / 20, textHeight(text) / 20));
    if (lineEnd) {
        x_ = 0;
        y_ += textHeight(u"X");
    } else {
        x_ += textWidth(text);
    }
}

void RecordingPrintSurface::record(Op::Kind kind, double x1, double y1, double x2, double y2, quint32 rgb, int width, platform::LineStyle style)
{
    Op op = base(kind);
    op.x = x1;
    op.y = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.color = rgb;
    op.width = width;
    op.style = style;
    ops.push_back(op);
}

void RecordingPrintSurface::openDocumentIfEnded()
{
    if (!ended_)
        return;
    ended_ = false;
    ++page_;
    documentStart_ = page_;
}

void RecordingPrintSurface::newPage()
{
    openDocumentIfEnded();
    ++page_;
    ops.push_back(base(Op::Kind::NewPage));
    x_ = 0;
    y_ = 0;
}

bool RecordingPrintSurface::endDocument()
{
    ops.push_back(base(Op::Kind::EndDocument));
    documents.push_back({outputFile, pagesStarted()});
    if (writeFiles && !outputFile.isEmpty()) {
        QFile file(outputFile);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write("recorded document of " + QByteArray::number(pagesStarted()) + " pages\n");
    }
    ended_ = true;
    return true;
}

void RecordingPrintSurface::abandonDocument()
{
    ops.push_back(base(Op::Kind::AbandonDocument));
    ended_ = true;
}

QStringList RecordingPrintSurface::texts(int page) const
{
    QStringList texts;
    for (const Op& op : ops) {
        if (op.kind == Op::Kind::Text && (page == 0 || op.page == page))
            texts << op.text;
    }
    return texts;
}

QStringList RecordingPrintSurface::lines() const
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

} // namespace quillon::test
