#include "app/SpellCommands.h"

#include "aids/SourceTransforms.h"
#include "aids/SpellCheck.h"
#include "config/Session.h"
#include "model/TextPrimitives.h"
#include "platform/SpellChecker.h"

#include <QFileInfo>
#include <QHash>

namespace quillon::app {

int runSpell(const Arguments& args, const config::Session& session, const model::SourceReader& reader,
    std::ostream& out, std::ostream& err)
{
    const QString vbp = projectArgument(args, "spell", 1, 1);
    const aids::SpellRules rules = aids::spellRules(session.options);
    const QString language = args.has(QStringLiteral("lang")) ? args.value(QStringLiteral("lang")) : rules.language;
    QString problem;
    const std::unique_ptr<platform::ISpellChecker> checker = platform::openSpellChecker(language, &problem);
    if (!checker) {
        const QStringList installed = platform::installedDictionaries();
        write(err,
            QStringLiteral("quillon: cannot check spelling: ") + problem + QStringLiteral(" (installed: ")
                + (installed.isEmpty() ? QStringLiteral("none; install a hunspell-xx package")
                                       : installed.join(QStringLiteral(", ")))
                + QStringLiteral(")\n"));
        return 2;
    }
    const QString optionsFolder = QFileInfo(session.ini.defaultPath()).absolutePath();
    for (const QString& word : aids::loadPersonalWords(optionsFolder))
        checker->accept(word);
    model::Project project(reader);
    if (const std::optional<int> failed = openForDump(project, vbp, err))
        return *failed;
    const bool literalsOnly = args.has(QStringLiteral("literals-only")) || rules.literalsOnly;
    const std::vector<aids::SpellFinding> findings =
        aids::findMisspellings(projectFilesArgument(args, project), reader, *checker, literalsOnly);
    // A misspelt word tends to come back: it is looked up once.
    QHash<QString, QString> suggestionsOf;
    QString text;
    for (const aids::SpellFinding& finding : findings) {
        auto known = suggestionsOf.find(finding.where.word);
        if (known == suggestionsOf.end())
            known = suggestionsOf.insert(
                finding.where.word, checker->suggestions(QString(finding.where.word).remove(u'&')).join(QLatin1Char(',')));
        text += finding.path + QLatin1Char(':') + QString::number(finding.where.line) + QLatin1Char(':')
            + QString::number(finding.where.column) + QLatin1Char('\t') + finding.where.word + QLatin1Char('\t')
            + *known + QLatin1Char('\n');
    }
    write(out, text);
    return findings.empty() ? 0 : 1;
}

} // namespace quillon::app
