#include "print/Navigation.h"

#include "model/DiagLog.h"
#include "platform/ReplacementFile.h"

#include <QHash>

namespace quillon::print {

void DocumentMarks::append(const DocumentMarks& other, int pagesBefore)
{
    for (PrintedEntry entry : other.entries) {
        entry.page += pagesBefore;
        entries.push_back(std::move(entry));
    }
    for (platform::TextArea link : other.links) {
        link.page += pagesBefore;
        links.push_back(std::move(link));
    }
}

platform::DocumentNavigation buildNavigation(const DocumentMarks& marks, platform::DocumentInfo info)
{
    platform::DocumentNavigation navigation;
    navigation.info = std::move(info);
    QHash<QString, size_t> fileEntry; // file name (case-insensitive) -> its bookmark
    QHash<QString, int> firstPage; // routine key -> the page its first print starts on
    for (const PrintedEntry& entry : marks.entries) {
        if (!entry.target.isEmpty() && !firstPage.contains(entry.target.toUpper()))
            firstPage.insert(entry.target.toUpper(), entry.page);
        if (entry.file.isEmpty()) {
            navigation.outline.push_back({entry.title, entry.page, {}});
            continue;
        }
        const QString fileKey = entry.file.toUpper();
        auto at = fileEntry.constFind(fileKey);
        if (at == fileEntry.constEnd()) {
            at = fileEntry.insert(fileKey, navigation.outline.size());
            navigation.outline.push_back({entry.file, entry.page, {}});
        }
        navigation.outline[*at].children.push_back({entry.title, entry.page, {}});
    }
    for (const platform::TextArea& link : marks.links) {
        const auto target = firstPage.constFind(link.target.toUpper());
        if (target != firstPage.constEnd())
            navigation.links.push_back({link.page, link.area, *target});
    }
    return navigation;
}

void navigatePdf(platform::IPdfNavigator* navigator, const QString& pdfPath, const DocumentMarks& marks,
    const platform::DocumentInfo& info, model::DiagLog* log)
{
    if (!navigator || platform::replaceablePath(pdfPath).isEmpty())
        return;
    QString error;
    if (!navigator->addNavigation(pdfPath, buildNavigation(marks, info), &error) && log)
        log->write(QStringLiteral("No bookmarks or properties added to ") + pdfPath + QStringLiteral(": ") + error);
}

platform::DocumentInfo documentInfoFor(const QString& title, const QString& source, const QDateTime& created)
{
    return {title, QStringLiteral("Documentation of ") + source, QStringLiteral("Quillon " QUILLON_VERSION), created};
}

QString bookmarkTitle(const QString& rowText, const QString& kindName)
{
    if (kindName == QLatin1String("Layout") || kindName == QLatin1String("Declarations")
        || kindName == QLatin1String("Image"))
        return kindName;
    const qsizetype bar = rowText.indexOf(QLatin1Char('|'));
    return bar < 0 ? rowText : rowText.mid(bar + 1);
}

} // namespace quillon::print
