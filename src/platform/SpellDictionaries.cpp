#include "platform/SpellChecker.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace quillon::platform {

QStringList dictionaryFolders()
{
    QStringList folders;
    const QString chosen = qEnvironmentVariable("QUILLON_DICTIONARY_PATH");
    for (const QString& folder : chosen.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders += folder;
    folders += {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/share/myspell/dicts"),
        QStringLiteral("/usr/share/myspell")};
    folders.removeDuplicates();
    return folders;
}

QStringList installedDictionaries(const QStringList& folders)
{
    QStringList languages;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        const QStringList affixFiles = dir.entryList({QStringLiteral("*.aff")}, QDir::Files | QDir::Readable);
        for (const QString& affix : affixFiles) {
            const QString language = affix.chopped(4);
            // Both halves or nothing: Hunspell opens an affix file without its word list as an
            // empty dictionary that calls every word wrong.
            if (!language.isEmpty() && QFileInfo(dir.filePath(language + QStringLiteral(".dic"))).isFile())
                languages += language;
        }
    }
    std::sort(languages.begin(), languages.end());
    languages.erase(std::unique(languages.begin(), languages.end()), languages.end());
    return languages;
}

} // namespace quillon::platform
