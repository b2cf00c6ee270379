// The INI reader: a document from bytes, its sections and values, values set and removed,
// and the bytes written back.
#include "FuzzSupport.h"

#include "config/Ini.h"

using namespace quillon;
using namespace quillon::config;

namespace {

// What reading a value gives back after it was set: one line, blanks and tabs trimmed.
QString asReadBack(const QString& value)
{
    QString text = value;
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    qsizetype start = 0;
    qsizetype end = text.size();
    auto isSpace = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (start < end && isSpace(text[start]))
        ++start;
    while (end > start && isSpace(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    const IniDocument document = IniDocument::fromBytes(bytes);
    // Nothing changed, nothing moves: the same bytes come back.
    FUZZ_CHECK(document.toBytes() == bytes);

    const QStringList sections = document.sectionNames();
    std::vector<std::vector<std::pair<QString, QString>>> entries;
    for (const QString& section : sections) {
        FUZZ_CHECK(document.hasSection(section));
        entries.push_back(document.entries(section));
        for (const auto& [key, value] : entries.back()) {
            FUZZ_CHECK(!key.isEmpty());
            FUZZ_CHECK(document.value(section, key).has_value());
        }
    }

    // A value made of the input's last bytes, set on a key of the file and on a new one.
    const QString value = QString::fromLatin1(bytes.right(12));
    const size_t pick = size % (sections.size() + 1);
    const QString section = pick < size_t(sections.size()) ? sections[qsizetype(pick)] : QStringLiteral("Fuzz Section");
    const std::vector<std::pair<QString, QString>> known = pick < entries.size() ? entries[pick] : decltype(known)();
    const QString key = known.empty() ? QStringLiteral("Fuzz Key") : known[size % known.size()].first;
    const QString newKey = key.compare(QLatin1String("Added Key"), Qt::CaseInsensitive) == 0
        ? QStringLiteral("Other Key")
        : QStringLiteral("Added Key");

    IniDocument changed = document;
    changed.setValue(section, key, value);
    changed.setValue(section, newKey, QStringLiteral(" second "));
    const IniDocument reread = IniDocument::fromBytes(changed.toBytes());
    for (const IniDocument* doc : {static_cast<const IniDocument*>(&changed), &reread}) {
        FUZZ_CHECK(doc->value(section, key) == asReadBack(value));
        FUZZ_CHECK(doc->value(section, newKey) == QStringLiteral("second"));
        // Writing one value changes no other section.
        for (qsizetype s = 0; s < sections.size(); ++s) {
            if (sections[s].compare(section, Qt::CaseInsensitive) != 0)
                FUZZ_CHECK(doc->entries(sections[s]) == entries[size_t(s)]);
        }
    }

    // Many values in one pass end as they would one by one.
    IniDocument together = document;
    together.setValues(section, {{key, value}, {newKey, QStringLiteral(" second ")}});
    FUZZ_CHECK(together.toBytes() == changed.toBytes());

    changed.removeKey(section, key);
    FUZZ_CHECK(!changed.value(section, key).has_value());
    FUZZ_CHECK(changed.removeSection(section) >= 1 && !changed.hasSection(section));
    return 0;
}
