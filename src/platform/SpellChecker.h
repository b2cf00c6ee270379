#pragma once
#include <QString>
#include <QStringList>

#include <memory>

namespace quillon::platform {

// A dictionary that says whether a word is spelt right and what it might have meant.
class ISpellChecker {
public:
    virtual ~ISpellChecker() = default;
    virtual bool isCorrect(const QString& word) const = 0;
    // Best first; empty when the dictionary has nothing to offer.
    virtual QStringList suggestions(const QString& word) const = 0;
    // Whether every letter of the word is one the language is written with (a word of another
    // script, or a marker string of accented capitals, is no word of this language to correct).
    virtual bool writesLettersOf(const QString& word) const
    {
        Q_UNUSED(word);
        return true;
    }
    // The word counts as spelt right from now on (a word of the personal list, or one the user
    // added), for this checker only.
    virtual void accept(const QString& word) = 0;
};

// The folders searched for dictionaries: QUILLON_DICTIONARY_PATH (folders separated by ":")
// first when it is set, then the system's Hunspell and MySpell folders.
QStringList dictionaryFolders();
// The languages ("en_US") with a dictionary (LANG.aff and LANG.dic) in the folders, sorted, each once.
QStringList installedDictionaries(const QStringList& folders = dictionaryFolders());
// Opens the dictionary of a language from the first folder holding it; null with the reason in
// *error, naming the language and the folders searched, or the file that could not be read.
std::unique_ptr<ISpellChecker> openSpellChecker(
    const QString& language, QString* error, const QStringList& folders = dictionaryFolders());

} // namespace quillon::platform
