// The PDF writer compresses every page's content at zlib's default level, and that
// compression was a quarter of a whole print run. Pages of code listings are short runs of
// text operators: the fastest level makes them hardly larger and takes a third of the time.
// The writer offers no setting for it, so the program's own deflateInit_ takes the place of
// zlib's for every caller in the process; it does what zlib's does, at another default level.
#include <zlib.h>

extern "C" int deflateInit_(z_streamp stream, int level, const char* version, int streamSize)
{
    if (level == Z_DEFAULT_COMPRESSION)
        level = Z_BEST_SPEED;
    return deflateInit2_(stream, level, Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY, version, streamSize);
}
