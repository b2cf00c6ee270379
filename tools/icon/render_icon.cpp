// Draws the program's icon and writes it where the program and the desktop look for it:
// Resources/QLNIcon.ico beside the program (the window icon) and PNGs in the sizes of the desktop's
// icon theme folders (FOLDER/NxN/apps/quillon.png) for the desktop entry.
// Drawn at build time so that the picture lives in code, not in a binary file in the tree.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 256.0;
    // A page with a folded corner...
    QPainterPath page;
    page.moveTo(48 * s, 20 * s);
    page.lineTo(172 * s, 20 * s);
    page.lineTo(212 * s, 60 * s);
    page.lineTo(212 * s, 236 * s);
    page.lineTo(48 * s, 236 * s);
    page.closeSubpath();
    p.setPen(QPen(QColor(40, 60, 110), 6 * s));
    p.setBrush(QColor(250, 250, 245));
    p.drawPath(page);
    p.setBrush(QColor(215, 222, 235));
    QPainterPath fold;
    fold.moveTo(172 * s, 20 * s);
    fold.lineTo(172 * s, 60 * s);
    fold.lineTo(212 * s, 60 * s);
    fold.closeSubpath();
    p.drawPath(fold);
    // ...with highlighted code lines...
    const QColor colours[] = {
        QColor(0, 0, 200), QColor(0, 128, 0), QColor(160, 0, 160), QColor(0, 0, 200), QColor(200, 80, 0)};
    for (int i = 0; i < 5; ++i) {
        p.setPen(QPen(colours[i], 9 * s, Qt::SolidLine, Qt::RoundCap));
        const double indent = (i == 1 || i == 2) ? 24 : 0;
        p.drawLine(QPointF((72 + indent) * s, (92 + i * 28) * s), QPointF((150 + (i % 2) * 30) * s, (92 + i * 28) * s));
    }
    // ...and a quill across it.
    QPainterPath quill;
    quill.moveTo(236 * s, 8 * s);
    quill.cubicTo(200 * s, 40 * s, 150 * s, 120 * s, 118 * s, 196 * s);
    quill.cubicTo(160 * s, 140 * s, 214 * s, 80 * s, 236 * s, 8 * s);
    p.setPen(QPen(QColor(120, 70, 20), 3 * s));
    p.setBrush(QColor(200, 150, 60));
    p.drawPath(quill);
    p.setPen(QPen(QColor(60, 40, 20), 6 * s, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(118 * s, 196 * s), QPointF(104 * s, 226 * s));
    return image;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_icon ICON.ico PNG-FOLDER\n");
        return 2;
    }
    QImageWriter ico(QString::fromLocal8Bit(argv[1]), "ico");
    if (!ico.write(drawIcon(64))) {
        std::fprintf(stderr, "render_icon: %s\n", qPrintable(ico.errorString()));
        return 1;
    }
    // Each size drawn for itself: a scaled-down 256 would blur the thin code lines.
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder = QString::fromLocal8Bit(argv[2]) + QStringLiteral("/%1x%1/apps").arg(size);
        QImageWriter png(folder + QStringLiteral("/quillon.png"), "png");
        if (!QDir().mkpath(folder) || !png.write(drawIcon(size))) {
            std::fprintf(stderr, "render_icon: %s: %s\n", qPrintable(png.fileName()), qPrintable(png.errorString()));
            return 1;
        }
    }
    return 0;
}
