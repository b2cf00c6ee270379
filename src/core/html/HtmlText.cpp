#include "html/HtmlText.h"

namespace quillon::html {

namespace {

bool isAllowed(char32_t c)
{
    if (c == U'\t' || c == U'\n')
        return true;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return false;
    if (c >= 0xFDD0 && c <= 0xFDEF)
        return false;
    return (c & 0xFFFE) != 0xFFFE;
}

} // namespace

void appendEscaped(QString& out, QStringView text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            continue;
        case '<':
            out += QLatin1String("&lt;");
            continue;
        case '>':
            out += QLatin1String("&gt;");
            continue;
        case '"':
            out += QLatin1String("&quot;");
            continue;
        case '\'':
            out += QLatin1String("&#39;");
            continue;
        default:
            break;
        }
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, text[i + 1]);
            if (isAllowed(code)) {
                out += c;
                out += text[i + 1];
            } else {
                out += QChar(0xFFFD);
            }
            ++i;
            continue;
        }
        if (c.isSurrogate() || !isAllowed(c.unicode()))
            out += QChar(0xFFFD);
        else
            out += c;
    }
}

QString escapeHtml(QStringView text)
{
    QString out;
    out.reserve(text.size() + 16);
    appendEscaped(out, text);
    return out;
}

QString safeName(QStringView name)
{
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        const ushort u = c.unicode();
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_')
            out += c;
        else
            out += QLatin1Char('-') + QString::number(u, 16) + QLatin1Char('-');
    }
    return out;
}

QString pageStem(QStringView fileName)
{
    QString out;
    for (const QChar c : fileName) {
        const ushort u = c.unicode();
        const bool kept = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_'
            || u == '-' || (u == '.' && !out.isEmpty());
        out += kept ? c : QLatin1Char('_');
    }
    if (out.size() > 80)
        out.truncate(80);
    return out.isEmpty() ? QStringLiteral("file") : out;
}

QString jsonString(QStringView text, bool markupEscaped)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        const ushort u = c.unicode();
        switch (u) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (u < 0x20 || u == 0x2028 || u == 0x2029 || (markupEscaped && (u == '<' || u == '>' || u == '&')))
                out += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

} // namespace quillon::html
