#pragma once
#include "aids/SourceTransforms.h"
#include "model/Outcome.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

namespace quillon::config {
class Options;
}
namespace quillon::platform {
class ISpellChecker;
}

namespace quillon::aids {

// ":DASpellForm": what Spell Check Literals looks at and with which dictionary.
struct SpellRules {
    bool literalsOnly = false; // "Literals Only": string literals, not comments
    QString language = QStringLiteral("en_US"); // "Language"
};
SpellRules spellRules(const config::Options& options);

// The personal word list in the options folder: one word a line, words the user added to the
// dictionary.
inline const QString kPersonalWordsFile = QStringLiteral("Personal Words.txt");
QStringList loadPersonalWords(const QString& optionsFolder);
// Adds a word to the list (written through a work file renamed over it); fails with the reason.
model::Outcome<void> addPersonalWord(const QString& optionsFolder, const QString& word);

// A word of a string literal or a comment, where it stands in its file. A caption's word keeps
// the "&" that marks its access key ("E&xit"); the dictionary is asked without it.
struct SpellWord {
    int line = 0; // 1-based
    int column = 0; // 1-based, in characters of the line
    QString word;
    bool inLiteral = false;
};

// The words of the file's string literals (and comments, unless literalsOnly) worth checking.
// Skipped: the layout block and Attribute lines, the literals of Declare statements, literals that
// are format strings, file paths, URLs or e-mail addresses, and words holding a digit or "_",
// words in CamelCase or ALL CAPS, hexadecimal numbers, single letters, and the identifiers given
// (compared ignoring case: names the code uses, so a comment naming a variable is not a finding).
std::vector<SpellWord> wordsToCheck(const QStringList& lines, bool literalsOnly, const QSet<QString>& identifiers);
// The names the code of a file uses (outside literals and comments), upper-cased.
QSet<QString> identifiersOf(const QStringList& lines);

// A word the dictionary does not know.
struct SpellFinding {
    QString path;
    SpellWord where;
    QString lineText; // the whole line, to show the word in it
};
// Checks the words of the files (each read through the reader; identifiers gathered from all of
// them first), in file order then line order. A file that cannot be read is passed over.
std::vector<SpellFinding> findMisspellings(const QStringList& paths, const model::SourceReader& reader,
    const platform::ISpellChecker& checker, bool literalsOnly);

// One word to change: in a file's line and column, the word expected there and what replaces it.
struct WordReplacement {
    int line = 0;
    int column = 0;
    QString word;
    QString replacement;
};
// The lines with each replacement made where its word still stands (one that no longer does is
// passed over); proceduresChanged counts the words replaced.
Rewrite replaceWords(const QStringList& lines, const std::vector<WordReplacement>& replacements);
// The replacements that change every checked word equal to a key of `rights` (or the same word
// with a capital first letter, which gets a capital first letter too) into its value.
std::vector<WordReplacement> replacementsFor(const QStringList& lines, bool literalsOnly,
    const QSet<QString>& identifiers, const QHash<QString, QString>& rights);

} // namespace quillon::aids
