#pragma once

// Qt's PDF writer compresses every page's content at zlib's default level. At the fastest level
// a print run of a large project (375,000 lines, 15,000 pages) to PDF took a fifth less
// processor time, for a file two fifths larger. The writer offers no setting for it, so
// the object library quillon_pdf_compression gives the executable that links it its own
// deflateInit_, which zlib's callers in the process reach in place of zlib's: it asks for
// kPdfWriterLevel where a caller leaves the level to zlib, and does what zlib's does otherwise.
// The program, its tests and its benchmarks all link it, so that they measure the same
// compression. Every other caller that leaves the level to zlib gets it too (zlib's one-call
// compress(), qCompress); libpng gives its level explicitly, and the qpdf writer is given
// kZlibDefaultLevel by the navigator, so its output is what it would be without this.
namespace quillon::platform {

// Z_BEST_SPEED, for the pages' content: short runs of text operators.
inline constexpr int kPdfWriterLevel = 1;
// What Z_DEFAULT_COMPRESSION stands for in zlib, asked for by number where a stream keeps it.
inline constexpr int kZlibDefaultLevel = 6;

} // namespace quillon::platform
