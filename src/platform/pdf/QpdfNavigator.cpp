#include "platform/pdf/QpdfNavigator.h"

#include "platform/ReplacementFile.h"
#include "platform/pdf/PdfCompression.h"

#include <QFile>
#include <QFileInfo>

#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <cstdlib>
#include <exception>

namespace quillon::platform {

namespace {

using Pages = std::vector<QPDFObjectHandle>;

bool isPage(const Pages& pages, int index)
{
    return index >= 0 && index < int(pages.size());
}

QPDFObjectHandle textString(const QString& text)
{
    // PDFDocEncoding when every character has a code there, else UTF-16BE with its mark.
    return QPDFObjectHandle::newUnicodeString(text.toStdString());
}

// The top of the page at its left edge, so the reader keeps its zoom and shows the page from
// its start.
QPDFObjectHandle destination(const QPDFObjectHandle& page)
{
    return QPDFObjectHandle::newArray({page, QPDFObjectHandle::newName("/XYZ"), QPDFObjectHandle::newNull(),
        QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull()});
}

// D:YYYYMMDDHHmmSS with the time's offset from UTC (Z for UTC itself).
std::string pdfDate(const QDateTime& time)
{
    const int offset = time.offsetFromUtc();
    QString text = QStringLiteral("D:") + time.toString(QStringLiteral("yyyyMMddHHmmss"));
    if (offset == 0)
        return (text + QLatin1Char('Z')).toStdString();
    const int minutes = std::abs(offset) / 60;
    text += QStringLiteral("%1%2'%3'")
                .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    return text.toStdString();
}

// Links ENTRIES whose page exists as the children of PARENT (an indirect dictionary) and
// returns how many there are. Every entry with children starts closed (a negative /Count): a
// long listing opens with its files only.
int addOutlineItems(QPDF& pdf, const Pages& pages, QPDFObjectHandle parent, const std::vector<OutlineEntry>& entries)
{
    QPDFObjectHandle previous;
    int count = 0;
    for (const OutlineEntry& entry : entries) {
        if (!isPage(pages, entry.page))
            continue;
        QPDFObjectHandle item = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        item.replaceKey("/Title", textString(entry.title));
        item.replaceKey("/Parent", parent);
        item.replaceKey("/Dest", destination(pages[size_t(entry.page)]));
        if (const int children = addOutlineItems(pdf, pages, item, entry.children))
            item.replaceKey("/Count", QPDFObjectHandle::newInteger(-children));
        if (previous.isInitialized()) {
            item.replaceKey("/Prev", previous);
            previous.replaceKey("/Next", item);
        } else {
            parent.replaceKey("/First", item);
        }
        parent.replaceKey("/Last", item);
        previous = item;
        ++count;
    }
    return count;
}

void addOutline(QPDF& pdf, const Pages& pages, const std::vector<OutlineEntry>& outline)
{
    QPDFObjectHandle root = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    root.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    const int count = addOutlineItems(pdf, pages, root, outline);
    if (count == 0)
        return;
    // The top level shows; everything under it is closed.
    root.replaceKey("/Count", QPDFObjectHandle::newInteger(count));
    QPDFObjectHandle catalog = pdf.getRoot();
    catalog.replaceKey("/Outlines", root);
    catalog.replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
}

void addLink(QPDF& pdf, const Pages& pages, const PageLink& link)
{
    QPDFObjectHandle page = pages[size_t(link.page)];
    // The area runs from the visible page's top-left corner: the crop box's, or the media
    // box's when the page has none.
    const QPDFObjectHandle::Rectangle box = QPDFPageObjectHelper(page).getCropBox().getArrayAsRectangle();
    const double left = std::min(box.llx, box.urx);
    const double top = std::max(box.lly, box.ury);
    const QRectF& area = link.area;
    QPDFObjectHandle annotation = QPDFObjectHandle::newDictionary();
    annotation.replaceKey("/Type", QPDFObjectHandle::newName("/Annot"));
    annotation.replaceKey("/Subtype", QPDFObjectHandle::newName("/Link"));
    annotation.replaceKey("/Rect",
        QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(
            left + area.left(), top - area.bottom(), left + area.right(), top - area.top())));
    annotation.replaceKey("/Border",
        QPDFObjectHandle::newArray(
            {QPDFObjectHandle::newInteger(0), QPDFObjectHandle::newInteger(0), QPDFObjectHandle::newInteger(0)}));
    annotation.replaceKey("/Dest", destination(pages[size_t(link.targetPage)]));
    QPDFObjectHandle annotations = page.getKey("/Annots");
    if (!annotations.isArray())
        annotations = page.replaceKeyAndGetNew("/Annots", QPDFObjectHandle::newArray());
    annotations.appendItem(pdf.makeIndirectObject(annotation));
}

void setInfo(QPDF& pdf, const DocumentInfo& info)
{
    QPDFObjectHandle trailer = pdf.getTrailer();
    QPDFObjectHandle dictionary = trailer.getKey("/Info");
    if (!dictionary.isDictionary())
        dictionary = trailer.replaceKeyAndGetNew("/Info", pdf.makeIndirectObject(QPDFObjectHandle::newDictionary()));
    const std::pair<const char*, const QString*> texts[] = {
        {"/Title", &info.title}, {"/Subject", &info.subject}, {"/Creator", &info.creator}};
    for (const auto& [key, text] : texts) {
        if (!text->isEmpty())
            dictionary.replaceKey(key, textString(*text));
    }
    if (info.created.isValid())
        dictionary.replaceKey("/CreationDate", QPDFObjectHandle::newString(pdfDate(info.created)));
}

void addToDocument(QPDF& pdf, const DocumentNavigation& navigation)
{
    const Pages& pages = pdf.getAllPages();
    addOutline(pdf, pages, navigation.outline);
    for (const PageLink& link : navigation.links) {
        if (isPage(pages, link.page) && isPage(pages, link.targetPage))
            addLink(pdf, pages, link);
    }
    setInfo(pdf, navigation.info);
}

} // namespace

bool QpdfNavigator::addNavigation(const QString& pdfPath, const DocumentNavigation& navigation, QString* error)
{
    if (navigation.isEmpty())
        return true;
    // A FIFO or a device was written as a stream: reading it back would wait for ever.
    if (replaceablePath(pdfPath).isEmpty() || !QFileInfo(pdfPath).isFile()) {
        if (error)
            *error = QStringLiteral("not a regular file");
        return false;
    }
    // Read from memory: from the file, qpdf seeks before nearly every object it reads, and
    // those calls took most of the time on a long listing.
    QFile input(pdfPath);
    if (!input.open(QIODevice::ReadOnly)) {
        if (error)
            *error = input.errorString();
        return false;
    }
    const QByteArray bytes = input.readAll();
    input.close();
    // qpdf keeps the names and the memory it is given, not copies: they outlive the reader and
    // the writer.
    const QByteArray inputName = QFile::encodeName(pdfPath);
    ReplacementFile work;
    try {
        QPDF pdf;
        // Its warnings about a damaged file it could still read are no concern of the user's.
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile(inputName.constData(), bytes.constData(), size_t(bytes.size()));
        addToDocument(pdf, navigation);
        if (!work.begin(pdfPath, error))
            return false;
        const QByteArray outputName = QFile::encodeName(work.workPath());
        QPDFWriter writer(pdf, outputName.constData());
        // The pages' streams are copied as they are: nothing is decoded or compressed again.
        // The thousands of small bookmark and link dictionaries go into compressed object
        // streams, or they would more than double a large listing's size.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setObjectStreamMode(qpdf_o_generate);
        // qpdf leaves the level to zlib, which the PDF writer's compression would make the
        // fastest: these streams are written once per document and kept small.
        Pl_Flate::setCompressionLevel(kZlibDefaultLevel);
        writer.write();
    } catch (const std::exception& failure) {
        if (error)
            *error = QString::fromLocal8Bit(failure.what());
        return false;
    }
    return work.commit(error);
}

} // namespace quillon::platform
