// The PDF joiner: parts of any bytes are joined or refused, never half-written, and what it
// writes is a file of the shape it accepts, holding the pages it reported.
#include "FuzzSupport.h"

#include "print/PdfJoin.h"

#include <QFile>
#include <QTemporaryDir>

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString part = dir.filePath(QStringLiteral("part.pdf"));
    const QString joined = dir.filePath(QStringLiteral("joined.pdf"));
    const QString again = dir.filePath(QStringLiteral("again.pdf"));
    QFile::remove(joined);
    QFile::remove(again);
    QFile file(part);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(fuzz::bytes(data, size));
    file.close();

    const model::Outcome<int> once = print::joinPdfParts({part}, joined);
    FUZZ_CHECK(once.ok() == QFile::exists(joined));
    FUZZ_CHECK(once.ok() != !once.error().isEmpty());
    if (!once)
        return 0;
    // Its own output joins again, with itself, to twice the pages.
    const model::Outcome<int> twice = print::joinPdfParts({joined, part}, again);
    FUZZ_CHECK(twice && *twice == 2 * *once);
    return 0;
}
