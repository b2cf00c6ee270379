#include "GraphSvg.h"

#include "platform/GraphLayout.h"

#include <QString>

#include <graphviz/color.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

// Graphviz's own colour parser (names of its X11 and SVG tables, "#rrggbb[aa]", "H,S,V"): libgvc
// exports it without declaring it in the headers it installs.
extern "C" int colorxlate(char* str, gvcolor_t* color, color_type_t targetType);

namespace quillon::platform {

namespace {

// The margin Graphviz leaves around a drawing (its "pad"), in points.
constexpr double kPad = 4;
// An arrowhead at arrowsize 1: its length, and half its width for each point of length.
constexpr double kArrowLength = 10;
constexpr double kArrowHalfWidth = 0.35;
constexpr const char* kSansSerif = "Helvetica, Arial, sans-serif";

double number(const char* text, double fallback)
{
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return end != text && std::isfinite(value) ? value : fallback;
}

bool containsWord(const char* text, const char* word)
{
    return text && strcasestr(text, word) != nullptr;
}

// The families a browser has for the three font tables Graphviz measures labels with.
const char* familyOf(const char* fontname)
{
    if (containsWord(fontname, "courier") || containsWord(fontname, "mono"))
        return "Courier New, Courier, monospace";
    if (!fontname || !*fontname || containsWord(fontname, "times")
        || (containsWord(fontname, "serif") && !containsWord(fontname, "sans")))
        return "Times New Roman, Times, serif";
    return kSansSerif;
}

struct Style {
    bool filled = false;
    bool invisible = false;
    bool dashed = false;
    bool dotted = false;
    bool rounded = false;
    double width = -1; // from "bold" or "setlinewidth(N)"; below 0 when the style gives none
};

Style styleOf(const char* text)
{
    Style style;
    for (const char* at = text; at && *at;) {
        while (*at == ' ' || *at == ',')
            ++at;
        const char* end = at;
        while (*end && *end != ',')
            ++end;
        const QByteArrayView word = QByteArrayView(at, end - at).trimmed();
        if (word == "filled")
            style.filled = true;
        else if (word == "invis" || word == "invisible")
            style.invisible = true;
        else if (word == "dashed")
            style.dashed = true;
        else if (word == "dotted")
            style.dotted = true;
        else if (word == "rounded")
            style.rounded = true;
        else if (word == "bold")
            style.width = 2;
        else if (word.startsWith("setlinewidth("))
            style.width = number(word.data() + 13, 1);
        at = end;
    }
    return style;
}

// The attributes the picture reads of one kind of object, looked up once per graph.
struct Attributes {
    Attributes(Agraph_t* graph, int kind)
    {
        const auto symbol = [graph, kind](
                                const char* name) { return agattr(graph, kind, const_cast<char*>(name), nullptr); };
        url = symbol("URL");
        href = symbol("href");
        tooltip = symbol("tooltip");
        target = symbol("target");
        style = symbol("style");
        color = symbol("color");
        fillcolor = symbol("fillcolor");
        penwidth = symbol("penwidth");
        arrowsize = kind == AGEDGE ? symbol("arrowsize") : nullptr;
    }
    static const char* get(void* object, Agsym_t* symbol) { return symbol ? agxget(object, symbol) : ""; }
    static const char* defaultOf(Agsym_t* symbol) { return symbol ? symbol->defval : ""; }

    Agsym_t* url;
    Agsym_t* href;
    Agsym_t* tooltip;
    Agsym_t* target;
    Agsym_t* style;
    Agsym_t* color;
    Agsym_t* fillcolor;
    Agsym_t* penwidth;
    Agsym_t* arrowsize;
};

// Where a text is written: an element's content, a <title> (whose line breaks a tooltip shows)
// or an attribute's value.
enum class Place { Text, Title, Attribute };

// TEXT (UTF-8, as Graphviz holds it) escaped for PLACE, the stand-ins of dotQuoted turned back.
void appendEscaped(QByteArray& out, const char* text, Place place)
{
    const qsizetype length = qsizetype(std::strlen(text));
    bool plain = true;
    for (qsizetype i = 0; i < length && plain; ++i) {
        const uchar c = uchar(text[i]);
        plain = c >= 0x20 && c < 0x80 && c != '&' && c != '<' && c != '>' && c != '"'
            && !(c == ' ' && i > 0 && text[i - 1] == ' ');
    }
    if (plain) {
        out.append(text, length);
        return;
    }
    // Undecodable bytes become U+FFFD here rather than a broken picture.
    const QString decoded = QString::fromUtf8(text, length);
    QString escaped;
    escaped.reserve(decoded.size() + 16);
    QChar previous;
    for (const QChar c : decoded) {
        switch (c.unicode()) {
        case kDotBackslash:
            escaped += u'\\';
            break;
        case kDotAmpersand:
        case u'&':
            escaped += QLatin1String("&amp;");
            break;
        case u'<':
            escaped += QLatin1String("&lt;");
            break;
        case u'>':
            escaped += QLatin1String("&gt;");
            break;
        case u'"':
            escaped += place == Place::Attribute ? QLatin1String("&quot;") : QLatin1String("\"");
            break;
        case u' ':
            // A browser shows a run of spaces as one; Graphviz keeps them.
            escaped += place == Place::Text && previous == u' ' ? QChar(0xA0) : c;
            break;
        case u'\n':
            escaped += place == Place::Title ? QLatin1String("\n")
                : place == Place::Attribute  ? QLatin1String("&#10;")
                                             : QLatin1String(" ");
            break;
        case 0xFFFE:
        case 0xFFFF:
            escaped += QChar(QChar::ReplacementCharacter);
            break;
        default:
            escaped += c.unicode() < 0x20 ? QChar(u' ') : c;
        }
        previous = c;
    }
    out += escaped.toUtf8();
}

// A URL or tooltip with the escapes Graphviz gives them: \G the graph's name, \N the node's, \E,
// \T and \H the edge's and those of its ends, and in a tooltip \n, \l and \r a line break.
QByteArray expanded(const char* text, void* object, bool lineBreaks)
{
    if (!std::strchr(text, '\\'))
        return QByteArray(text);
    const int kind = agobjkind(object);
    const bool isEdge = kind == AGINEDGE || kind == AGOUTEDGE;
    Agedge_t* edge = isEdge ? static_cast<Agedge_t*>(object) : nullptr;
    QByteArray result;
    for (const char* at = text; *at; ++at) {
        if (*at != '\\' || !at[1]) {
            result += *at;
            continue;
        }
        const char code = *++at;
        if (code == 'G')
            result += agnameof(agroot(object));
        else if (code == 'N' && kind == AGNODE)
            result += agnameof(object);
        else if (code == 'T' && edge)
            result += agnameof(agtail(edge));
        else if (code == 'H' && edge)
            result += agnameof(aghead(edge));
        else if (code == 'E' && edge)
            result += QByteArray(agnameof(agtail(edge))) + (agisdirected(agroot(edge)) ? "->" : "--")
                + agnameof(aghead(edge));
        else if ((code == 'n' || code == 'l' || code == 'r') && lineBreaks)
            result += '\n';
        else
            result += QByteArray("\\") + code;
    }
    return result;
}

class SvgWriter {
public:
    explicit SvgWriter(Agraph_t* graph)
        : graph_(graph),
          nodes_(graph, AGNODE),
          edges_(graph, AGEDGE),
          left_(GD_bb(graph).LL.x),
          top_(GD_bb(graph).UR.y),
          fontSize_(number(nodeDefault(graph, "fontsize"), 14)),
          family_(familyOf(nodeDefault(graph, "fontname")))
    { }

    QByteArray picture()
    {
        const boxf box = GD_bb(graph_);
        const double width = box.UR.x - box.LL.x + 2 * kPad;
        const double height = box.UR.y - box.LL.y + 2 * kPad;
        out_.reserve(4096);
        out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 ";
        appendNumber(width);
        out_ += ' ';
        appendNumber(height);
        // Shown at the size it was laid out for, as the page's own text: points, not pixels.
        out_ += "\" width=\"";
        appendNumber(width);
        out_ += "pt\" height=\"";
        appendNumber(height);
        out_ += "pt\" font-family=\"";
        out_ += family_;
        out_ += "\" font-size=\"";
        appendNumber(fontSize_);
        out_ += "\" text-anchor=\"middle\">\n";
        // White under the picture unless the graph says otherwise, as Graphviz paints it: the
        // boxes stand out on a tinted panel.
        const char* background = agget(graph_, const_cast<char*>("bgcolor"));
        const QByteArray fill = colour(background, "white");
        if (fill != "none") {
            out_ += "<rect width=\"100%\" height=\"100%\"";
            attribute("fill", fill);
            out_ += "/>\n";
        }
        drawClusters(graph_);
        for (Agnode_t* node = agfstnode(graph_); node; node = agnxtnode(graph_, node))
            drawNode(node);
        // The edges over the nodes: a straight edge may cross a box, and would seem to end there.
        drawEdges();
        if (GD_label(graph_))
            drawLabel(GD_label(graph_), GD_label(graph_)->pos);
        out_ += "</svg>\n";
        return std::move(out_);
    }

private:
    static const char* nodeDefault(Agraph_t* graph, const char* name)
    {
        return Attributes::defaultOf(agattr(graph, AGNODE, const_cast<char*>(name), nullptr));
    }

    // Graphviz's y axis points up from the bottom of its bounding box, SVG's down from the top.
    double x(double graphX) const { return graphX - left_ + kPad; }
    double y(double graphY) const { return top_ - graphY + kPad; }

    // VALUE to a tenth, without a trailing ".0": a picture has thousands of them.
    void appendNumber(double value)
    {
        // Far beyond any drawing, and kept from overflowing the integer.
        constexpr double kFar = 1e12;
        long long tenths = std::isfinite(value) ? std::llround(std::clamp(value, -kFar, kFar) * 10) : 0;
        if (tenths < 0) {
            out_ += '-';
            tenths = -tenths;
        }
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, tenths / 10);
        out_.append(digits, written.ptr - digits);
        if (tenths % 10 != 0) {
            out_ += '.';
            out_ += char('0' + tenths % 10);
        }
    }

    void appendPoint(pointf p)
    {
        appendNumber(x(p.x));
        out_ += ',';
        appendNumber(y(p.y));
    }

    void attribute(const char* name, double value)
    {
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
        appendNumber(value);
        out_ += '"';
    }

    void attribute(const char* name, const QByteArray& value)
    {
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
        out_ += value;
        out_ += '"';
    }

    // A Graphviz colour (the first of a list) as SVG paint; "none" for a transparent one.
    QByteArray colour(const char* spec, const char* fallback)
    {
        if (!spec || !*spec)
            spec = fallback;
        // A graph holds one copy of each attribute value, and uses a few colours.
        for (const auto& [known, paint] : colours_)
            if (known == spec || std::strcmp(known, spec) == 0)
                return paint;
        QByteArray name(spec);
        const qsizetype end = name.indexOf(':');
        if (end >= 0)
            name.truncate(end);
        const qsizetype weight = name.indexOf(';');
        if (weight >= 0)
            name.truncate(weight);
        if (name.isEmpty())
            name = fallback;
        gvcolor_t resolved {};
        QByteArray paint = "#000";
        // An unknown name is black, as Graphviz draws it (with a warning).
        if (colorxlate(name.data(), &resolved, RGBA_BYTE) == COLOR_OK) {
            const unsigned char* rgba = resolved.u.rgba;
            const int channels = rgba[3] == 255 ? 3 : 4;
            // "#rgb" when each channel is one digit twice.
            bool doubled = true;
            for (int i = 0; i < channels; ++i)
                doubled = doubled && rgba[i] % 17 == 0;
            static constexpr char kHex[] = "0123456789abcdef";
            paint = "#";
            for (int i = 0; i < channels; ++i) {
                if (!doubled)
                    paint += kHex[rgba[i] >> 4];
                paint += kHex[rgba[i] & 15];
            }
            if (rgba[3] == 0)
                paint = "none";
        }
        colours_.emplace_back(spec, paint);
        return paint;
    }

    void appendPaint(const QByteArray& fill, const QByteArray& stroke, double width, const Style& style)
    {
        attribute("fill", fill);
        attribute("stroke", stroke);
        appendLineStyle(width, style);
    }

    // A line's width, when not the default one, and its dashes.
    void appendLineStyle(double width, const Style& style)
    {
        if (width != 1)
            attribute("stroke-width", width);
        if (style.dashed)
            out_ += " stroke-dasharray=\"5,2\"";
        else if (style.dotted)
            out_ += " stroke-dasharray=\"1,5\"";
    }

    static double penWidth(const char* text, const Style& style)
    {
        return style.width >= 0 ? style.width : number(text, 1);
    }

    // A link around the object's drawing when it has a URL; its tooltip (or, on a link, the
    // label's text) as the title a browser shows over it. Returns the element to close.
    const char* beginLink(void* object, const Attributes& attributes, const textlabel_t* label)
    {
        const char* url = Attributes::get(object, attributes.url);
        if (!*url)
            url = Attributes::get(object, attributes.href);
        const QByteArray href = expanded(url, object, false);
        QByteArray tooltip = expanded(Attributes::get(object, attributes.tooltip), object, true);
        if (href.isEmpty() && tooltip.isEmpty())
            return nullptr;
        if (tooltip.isEmpty() && label && !label->html) {
            for (int i = 0; i < label->u.txt.nspans; ++i)
                tooltip += (i > 0 ? "\n" : "") + QByteArray(label->u.txt.span[i].str);
        }
        if (href.isEmpty()) {
            out_ += "<g>";
        } else {
            out_ += "<a href=\"";
            appendEscaped(out_, href.constData(), Place::Attribute);
            const char* target = Attributes::get(object, attributes.target);
            if (*target) {
                out_ += "\" target=\"";
                appendEscaped(out_, target, Place::Attribute);
            }
            out_ += "\">";
        }
        if (!tooltip.isEmpty()) {
            out_ += "<title>";
            appendEscaped(out_, tooltip.constData(), Place::Title);
            out_ += "</title>";
        }
        return href.isEmpty() ? "</g>\n" : "</a>\n";
    }

    // A label's lines where Graphviz puts them: the first baseline a font size below the top of
    // the text's block, which is centred on POS (or at its top or bottom), the next a line lower.
    void drawLabel(const textlabel_t* label, pointf pos, bool inEdgeGroup = false)
    {
        if (!label || label->html || label->u.txt.nspans < 1 || !label->u.txt.span)
            return;
        double baseline = label->valign == 't' ? pos.y + label->space.y / 2 - label->fontsize
            : label->valign == 'b'             ? pos.y - label->space.y / 2 + label->dimen.y - label->fontsize
                                               : pos.y + label->dimen.y / 2 - label->fontsize;
        for (int i = 0; i < label->u.txt.nspans; ++i) {
            const textspan_t& span = label->u.txt.span[i];
            const double left = pos.x - label->space.x / 2;
            const double right = pos.x + label->space.x / 2;
            if (span.str && *span.str) {
                out_ += "<text";
                attribute("x", x(span.just == 'l' ? left : span.just == 'r' ? right : pos.x));
                attribute("y", y(baseline + span.yoffset_centerline));
                if (span.just == 'l')
                    out_ += " text-anchor=\"start\"";
                else if (span.just == 'r')
                    out_ += " text-anchor=\"end\"";
                const double size = span.font && span.font->size > 0 ? span.font->size : label->fontsize;
                if (std::llround(size * 10) != std::llround(fontSize_ * 10))
                    attribute("font-size", size);
                const char* fontname = span.font && span.font->name ? span.font->name : label->fontname;
                const char* family = familyOf(fontname);
                if (std::strcmp(family, family_) != 0)
                    attribute("font-family", QByteArray::fromRawData(family, qsizetype(std::strlen(family))));
                if (containsWord(fontname, "bold"))
                    out_ += " font-weight=\"bold\"";
                const QByteArray fill =
                    colour(span.font && span.font->color ? span.font->color : label->fontcolor, "black");
                if (inEdgeGroup || fill != "#000")
                    attribute("fill", fill);
                if (inEdgeGroup)
                    out_ += " stroke=\"none\"";
                out_ += '>';
                appendEscaped(out_, span.str, Place::Text);
                out_ += "</text>\n";
            }
            baseline -= span.size.y;
        }
    }

    void drawRect(double left, double bottom, double right, double top, double corner)
    {
        out_ += "<rect";
        attribute("x", x(left));
        attribute("y", y(top));
        attribute("width", right - left);
        attribute("height", top - bottom);
        if (corner > 0)
            attribute("rx", corner);
    }

    void drawClusters(Agraph_t* graph)
    {
        for (int i = 1; i <= GD_n_cluster(graph); ++i) {
            Agraph_t* cluster = GD_clust(graph)[i];
            const auto get = [cluster](const char* name) {
                const char* value = agget(cluster, const_cast<char*>(name));
                return value && *value ? value : nullptr;
            };
            const Style style = styleOf(get("style"));
            if (!style.invisible) {
                const char* pen = get("pencolor") ? get("pencolor") : get("color");
                const char* fill = get("fillcolor") ? get("fillcolor") : get("color") ? get("color") : get("bgcolor");
                const boxf box = GD_bb(cluster);
                drawRect(box.LL.x, box.LL.y, box.UR.x, box.UR.y, style.rounded ? 6 : 0);
                appendPaint(style.filled ? colour(fill, "lightgrey")
                        : get("bgcolor") ? colour(get("bgcolor"), "none")
                                         : "none",
                    colour(pen, "black"), penWidth(get("penwidth"), style), style);
                out_ += "/>\n";
                if (GD_label(cluster))
                    drawLabel(GD_label(cluster), GD_label(cluster)->pos);
            }
            drawClusters(cluster);
        }
    }

    // An arrowhead with its tip at TIP, pointing away from FROM (where the line stops): Graphviz's
    // "normal" one, whichever the edge asks for (the site asks for no other).
    void drawArrow(pointf tip, pointf from, double size, double width, const QByteArray& paint)
    {
        double ux = from.x - tip.x;
        double uy = from.y - tip.y;
        const double length = std::hypot(ux, uy);
        if (length < 1e-6)
            return;
        ux *= kArrowLength * size / length;
        uy *= kArrowLength * size / length;
        const double halfWidth = kArrowHalfWidth * (width > 4 ? width / 4 : 1);
        const double vx = -uy * halfWidth;
        const double vy = ux * halfWidth;
        out_ += "<polygon";
        attribute("fill", paint);
        if (paint != edgeStroke_)
            attribute("stroke", paint);
        if (width != 1)
            attribute("stroke-width", width);
        out_ += " points=\"";
        appendPoint({tip.x + ux - vx, tip.y + uy - vy});
        out_ += ' ';
        appendPoint(tip);
        out_ += ' ';
        appendPoint({tip.x + ux + vx, tip.y + uy + vy});
        out_ += "\"/>\n";
    }

    // The edges in one group that gives them no fill and the usual colour.
    void drawEdges()
    {
        edgeStroke_ = colour(Attributes::defaultOf(edges_.color), "black");
        out_ += "<g fill=\"none\" stroke=\"" + edgeStroke_ + "\">\n";
        for (Agnode_t* node = agfstnode(graph_); node; node = agnxtnode(graph_, node))
            for (Agedge_t* edge = agfstout(graph_, node); edge; edge = agnxtout(graph_, edge))
                drawEdge(edge);
        out_ += "</g>\n";
    }

    void drawEdge(Agedge_t* edge)
    {
        const Style style = styleOf(Attributes::get(edge, edges_.style));
        if (style.invisible)
            return;
        const QByteArray stroke = colour(Attributes::get(edge, edges_.color), "black");
        const double width = penWidth(Attributes::get(edge, edges_.penwidth), style);
        const double arrowSize = number(Attributes::get(edge, edges_.arrowsize), 1);
        const char* close = beginLink(edge, edges_, ED_label(edge));
        const splines* lines = ED_spl(edge);
        for (int i = 0; lines && i < lines->size; ++i) {
            const bezier& curve = lines->list[i];
            if (curve.size < 1)
                continue;
            out_ += "<path";
            if (stroke != edgeStroke_)
                attribute("stroke", stroke);
            appendLineStyle(width, style);
            out_ += " d=\"M";
            appendPoint(curve.list[0]);
            // A spline is its start and three points for each piece; anything else is a line.
            out_ += (curve.size - 1) % 3 == 0 ? 'C' : 'L';
            for (int p = 1; p < curve.size; ++p) {
                if (p > 1)
                    out_ += ' ';
                appendPoint(curve.list[p]);
            }
            out_ += "\"/>\n";
            if (curve.eflag)
                drawArrow(curve.ep, curve.list[curve.size - 1], arrowSize, width, stroke);
            if (curve.sflag)
                drawArrow(curve.sp, curve.list[0], arrowSize, width, stroke);
        }
        for (const textlabel_t* label : {ED_label(edge), ED_xlabel(edge), ED_head_label(edge), ED_tail_label(edge)})
            if (label && label->set)
                drawLabel(label, label->pos, true);
        if (close)
            out_ += close;
    }

    void drawNode(Agnode_t* node)
    {
        const Style style = styleOf(Attributes::get(node, nodes_.style));
        if (style.invisible)
            return;
        const char* close = beginLink(node, nodes_, ND_label(node));
        const char* shape = ND_shape(node) && ND_shape(node)->name ? ND_shape(node)->name : "box";
        const QByteArray stroke = colour(Attributes::get(node, nodes_.color), "black");
        const double width = penWidth(Attributes::get(node, nodes_.penwidth), style);
        const char* fillSpec = Attributes::get(node, nodes_.fillcolor);
        if (!*fillSpec)
            fillSpec = Attributes::get(node, nodes_.color);
        const bool isPoint = std::strcmp(shape, "point") == 0;
        const QByteArray fill = style.filled || isPoint ? colour(fillSpec, isPoint ? "black" : "lightgrey") : "none";
        // A record's label is the text of its fields, which hold their own labels.
        if (std::strcmp(shape, "record") == 0 || std::strcmp(shape, "Mrecord") == 0) {
            drawRecord(node, fill, stroke, width, style);
        } else {
            drawPolygon(node, fill, stroke, width, style);
            // A point is too small for its label, which Graphviz leaves out too.
            if (ND_label(node) && !isPoint)
                drawLabel(ND_label(node), ND_coord(node));
        }
        if (ND_xlabel(node) && ND_xlabel(node)->set)
            drawLabel(ND_xlabel(node), ND_xlabel(node)->pos);
        if (close)
            out_ += close;
    }

    // A shape of Graphviz's polygon family: an ellipse, a rectangle or a polygon per periphery,
    // the innermost filled.
    void drawPolygon(Agnode_t* node, const QByteArray& fill, const QByteArray& stroke, double width, const Style& style)
    {
        const pointf centre = ND_coord(node);
        const auto* polygon =
            ND_shape(node) && !ND_shape(node)->usershape ? static_cast<const polygon_t*>(ND_shape_info(node)) : nullptr;
        if (!polygon || !polygon->vertices || polygon->sides < 1) {
            const double halfWidth = ND_width(node) * 36;
            const double halfHeight = ND_height(node) * 36;
            drawRect(centre.x - halfWidth, centre.y - halfHeight, centre.x + halfWidth, centre.y + halfHeight, 0);
            appendPaint(fill, stroke, width, style);
            out_ += "/>\n";
            return;
        }
        const double nominalWidth = std::round(ND_width(node) * 72);
        const double nominalHeight = std::round(ND_height(node) * 72);
        const double xScale = nominalWidth > 0 ? (ND_lw(node) + ND_rw(node)) / nominalWidth : 1;
        const double yScale = nominalHeight > 0 ? ND_ht(node) / nominalHeight : 1;
        const int sides = polygon->sides;
        // Without a periphery a filled shape is still filled, with no line around it.
        const int outlines = std::max(polygon->peripheries, fill != "none" ? 1 : 0);
        for (int ring = 0; ring < outlines; ++ring) {
            const pointf* vertex = polygon->vertices + static_cast<std::ptrdiff_t>(ring) * sides;
            const QByteArray ringFill = ring == 0 ? fill : QByteArray("none");
            const QByteArray ringStroke = polygon->peripheries == 0 ? QByteArray("none") : stroke;
            double left = vertex[0].x, right = left, bottom = vertex[0].y, top = bottom;
            for (int i = 1; i < sides; ++i) {
                left = std::min(left, vertex[i].x);
                right = std::max(right, vertex[i].x);
                bottom = std::min(bottom, vertex[i].y);
                top = std::max(top, vertex[i].y);
            }
            bool rectangle = sides == 4;
            for (int i = 0; i < sides && rectangle; ++i)
                rectangle =
                    (vertex[i].x == left || vertex[i].x == right) && (vertex[i].y == bottom || vertex[i].y == top);
            if (sides <= 2) {
                out_ += "<ellipse";
                attribute("cx", x(centre.x));
                attribute("cy", y(centre.y));
                attribute("rx", (right - left) / 2 * xScale);
                attribute("ry", (top - bottom) / 2 * yScale);
            } else if (rectangle) {
                drawRect(centre.x + left * xScale, centre.y + bottom * yScale, centre.x + right * xScale,
                    centre.y + top * yScale, style.rounded ? std::min(6.0, (top - bottom) * yScale / 4) : 0);
            } else {
                out_ += "<polygon points=\"";
                for (int i = 0; i < sides; ++i) {
                    if (i > 0)
                        out_ += ' ';
                    appendPoint({centre.x + vertex[i].x * xScale, centre.y + vertex[i].y * yScale});
                }
                out_ += '"';
            }
            appendPaint(ringFill, ringStroke, width, style);
            out_ += "/>\n";
        }
    }

    // A record: its box, a line between neighbouring fields and each field's text.
    void drawRecord(Agnode_t* node, const QByteArray& fill, const QByteArray& stroke, double width, const Style& style)
    {
        const pointf centre = ND_coord(node);
        const double halfWidth = ND_width(node) * 36;
        const double halfHeight = ND_height(node) * 36;
        drawRect(centre.x - halfWidth, centre.y - halfHeight, centre.x + halfWidth, centre.y + halfHeight,
            std::strcmp(ND_shape(node)->name, "Mrecord") == 0 ? 6 : 0);
        appendPaint(fill, stroke, width, style);
        out_ += "/>\n";
        if (const auto* fields = static_cast<const field_t*>(ND_shape_info(node)))
            drawFields(fields, centre, stroke, width);
    }

    void drawFields(const field_t* field, pointf centre, const QByteArray& stroke, double width)
    {
        if (field->lp)
            drawLabel(field->lp,
                {centre.x + (field->b.LL.x + field->b.UR.x) / 2, centre.y + (field->b.LL.y + field->b.UR.y) / 2});
        for (int i = 0; i < field->n_flds; ++i) {
            const field_t* part = field->fld[i];
            if (i > 0) {
                const boxf box = part->b;
                out_ += "<path fill=\"none\"";
                attribute("stroke", stroke);
                if (width != 1)
                    attribute("stroke-width", width);
                out_ += " d=\"M";
                appendPoint({centre.x + box.LL.x, centre.y + (field->LR ? box.LL.y : box.UR.y)});
                out_ += 'L';
                appendPoint({centre.x + (field->LR ? box.LL.x : box.UR.x), centre.y + box.UR.y});
                out_ += "\"/>\n";
            }
            drawFields(part, centre, stroke, width);
        }
    }

    Agraph_t* graph_;
    Attributes nodes_;
    Attributes edges_;
    double left_;
    double top_;
    double fontSize_;
    const char* family_;
    QByteArray edgeStroke_;
    std::vector<std::pair<const char*, QByteArray>> colours_;
    QByteArray out_;
};

} // namespace

QByteArray svgOfLayout(Agraph_t* graph)
{
    return SvgWriter(graph).picture();
}

} // namespace quillon::platform
