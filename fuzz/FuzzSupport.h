#pragma once
// Shared by the fuzz targets: the input decoded the way the source reader decodes a file,
// and the invariant check that turns a logic fault into a crash the fuzzer keeps.
#include "model/SourceText.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>

#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);                    \
            __builtin_trap();                                                                                          \
        }                                                                                                              \
    } while (0)

namespace quillon::fuzz {

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The lines of a source file with these bytes, as SourceReader::Read gives them.
inline QStringList sourceLines(const QByteArray& bytes)
{
    return model::splitLines(model::decodeSourceBytes(bytes, model::CodePage::standard()));
}

} // namespace quillon::fuzz
