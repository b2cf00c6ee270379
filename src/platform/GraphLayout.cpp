#include "platform/GraphLayout.h"

namespace quillon::platform {

QByteArray dotQuoted(QStringView text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += u'"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        switch (c) {
        case u'"':
            quoted += u"\\\"";
            break;
        case u'\\':
            quoted += QChar(kDotBackslash);
            break;
        case u'&':
            quoted += QChar(kDotAmpersand);
            break;
        case u'\r':
            // A Windows line end is one break, a lone carriage return one as well.
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                break;
            [[fallthrough]];
        case u'\n':
            quoted += u"\\n";
            break;
        case kDotBackslash:
        case kDotAmpersand:
            quoted += QChar(QChar::ReplacementCharacter);
            break;
        default:
            // XML has no place for the other control characters, and Graphviz copies them as they are.
            quoted += c < 0x20 ? QChar(u' ') : QChar(c);
        }
    }
    quoted += u'"';
    return quoted.toUtf8();
}

} // namespace quillon::platform
