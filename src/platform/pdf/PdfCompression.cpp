// The deflateInit_ that takes zlib's place in the executable (see PdfCompression.h).
#include "platform/pdf/PdfCompression.h"

#include <zlib.h>

extern "C" int deflateInit_(z_streamp stream, int level, const char* version, int streamSize)
{
    if (level == Z_DEFAULT_COMPRESSION)
        level = quillon::platform::kPdfWriterLevel;
    return deflateInit2_(stream, level, Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY, version, streamSize);
}
