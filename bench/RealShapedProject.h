#pragma once
// A synthetic VB6 project shaped like a large real one: forms with controls and their
// handlers, classes with properties, modules with API declarations; routines of very different
// sizes calling each other across files; long lines, blank lines and comments in the
// proportions measured on a real project of 375,000 lines.

#include <QString>

#include <cstdio>
#include <optional>

namespace quillon::bench {

// The widest line the default page prints unbroken: Letter portrait, 0.5 in margins left and
// right, 10 point Courier New. 7.5 in holds 90 characters of 0.6 em, but the face's advance is
// 1229/2048 em, so the ninetieth character overruns by a tenth of a point and wraps.
inline constexpr int kDefaultPrintColumns = 89;

inline constexpr const char* kRealShapedProjectFile = "RealShaped.vbp";

// What a generated project holds, measured on the text written.
struct ProjectShape {
    qint64 lines = 0;
    qint64 characters = 0; // without the line ends
    qint64 longLines = 0; // wider than kDefaultPrintColumns
    qint64 blankLines = 0;
    qint64 commentLines = 0; // whole-line comments
    int files = 0;
    int forms = 0;
    int classes = 0;
    int modules = 0;
    // As "quillon routines" lists them: the procedures, a declarations section per file, a
    // layout block and an image per form.
    qint64 routines = 0;
    qint64 procedures = 0; // Sub, Function and Property
    // From the comments above each header to the blank line after its End, as the procedure
    // prints.
    qint64 procedureLines = 0;
};

// Writes kRealShapedProjectFile and its forms, classes and modules into FOLDER, about
// TOTALLINES lines in all; the same TOTALLINES always gives the same bytes. Nothing when a file
// cannot be written.
std::optional<ProjectShape> writeRealShapedProject(const QString& folder, int totalLines);

// One line with the proportions, for a reader to hold against the real project's.
void printShape(std::FILE* out, const ProjectShape& shape);

} // namespace quillon::bench
