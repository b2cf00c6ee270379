#include "platform/SpellChecker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell/hunspell.hxx>

#include <exception>
#include <optional>

namespace quillon::platform {

namespace {

// Hunspell gives up on longer words anyway, and its suggestions take time that grows fast
// with the length: such a "word" is a run of junk, not a word.
constexpr qsizetype kLongestWord = 100;

bool isUtf8Name(const QString& name)
{
    return name.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0;
}

// The name Qt knows an affix file's "SET" encoding by: Hunspell writes "ISO8859-1" and
// "microsoft-cp1251" where Qt (and ICU) expect "ISO-8859-1" and "windows-1251".
QString qtEncodingName(const QString& hunspellName)
{
    QString name = hunspellName.trimmed();
    if (name.startsWith(QLatin1String("ISO8859"), Qt::CaseInsensitive))
        name.insert(3, QLatin1Char('-'));
    else if (name.startsWith(QLatin1String("microsoft-cp"), Qt::CaseInsensitive))
        name = QStringLiteral("windows-") + name.mid(12);
    else if (name.startsWith(QLatin1String("TIS620"), Qt::CaseInsensitive))
        name = QStringLiteral("TIS-620");
    return name;
}

// Opening a file before Hunspell does: Hunspell reports a file it cannot read on its error
// output only and carries on with an empty dictionary, and it would wait forever on a FIFO.
bool openToRead(QFile& file, QString* reason)
{
    const QString shown = QDir::toNativeSeparators(file.fileName());
    if (!QFileInfo(file.fileName()).isFile()) {
        *reason = QStringLiteral("%1 is not a regular file").arg(shown);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("cannot read %1: %2").arg(shown, file.errorString());
        return false;
    }
    return true;
}

// A word list starts with its word count, from which Hunspell sizes its table: a count
// larger than the file could hold is junk that would make it reserve gigabytes.
bool hasPlausibleWordCount(QFile& words, QString* reason)
{
    QByteArray first = words.readLine(64).trimmed();
    if (first.startsWith("\xEF\xBB\xBF"))
        first = first.mid(3).trimmed();
    qsizetype digits = 0;
    while (digits < first.size() && first[digits] >= '0' && first[digits] <= '9')
        ++digits;
    bool ok = false;
    const qint64 count = first.left(digits).toLongLong(&ok);
    if (!ok || count <= 0 || count > words.size()) {
        *reason =
            QStringLiteral("%1 does not start with its word count").arg(QDir::toNativeSeparators(words.fileName()));
        return false;
    }
    return true;
}

// The value of an affix file's one-line entry ("TRY esianrt..."), as bytes; empty when it has none.
QByteArray affixEntry(QFile& affixFile, const char* key)
{
    const QByteArray prefix = QByteArray(key) + ' ';
    affixFile.seek(0);
    // The entries that matter stand near the top; a long file is not read to its end for them.
    for (int n = 0; n < 10000 && !affixFile.atEnd(); ++n) {
        const QByteArray line = affixFile.readLine(qint64(64) * 1024).trimmed();
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed();
    }
    return QByteArray();
}

class HunspellSpellChecker final : public ISpellChecker {
public:
    // encodingName: the Qt name of the dictionary's encoding, empty for UTF-8.
    // tryLine: the affix file's TRY line as bytes, the letters its suggestions try.
    HunspellSpellChecker(std::unique_ptr<Hunspell> hunspell, const QString& encodingName, const QByteArray& tryLine)
        : hunspell_(std::move(hunspell))
    {
        if (!encodingName.isEmpty()) {
            encoder_.emplace(encodingName.toLatin1().constData());
            decoder_.emplace(encodingName.toLatin1().constData());
        }
        // The letters its suggestions try are the language's alphabet (English leaves out j, q
        // and x, which are letters all the same).
        for (const QChar c : decoded(tryLine.toStdString()))
            if (c.isLetter())
                alphabet_.insert(c.toLower());
    }

    bool writesLettersOf(const QString& word) const override
    {
        if (alphabet_.isEmpty())
            return true;
        return std::all_of(word.begin(), word.end(), [this](QChar c) {
            return !c.isLetter() || c.unicode() < 0x80 || alphabet_.contains(c.toLower());
        });
    }

    bool isCorrect(const QString& word) const override
    {
        if (word.isEmpty() || accepted_.contains(word))
            return true;
        if (word.size() > kLongestWord)
            return false;
        const std::optional<std::string> bytes = encoded(word);
        // A word the dictionary's encoding cannot even hold is none of its words.
        return bytes && hunspell_->spell(*bytes);
    }

    QStringList suggestions(const QString& word) const override
    {
        QStringList result;
        if (word.isEmpty() || word.size() > kLongestWord)
            return result;
        const std::optional<std::string> bytes = encoded(word);
        if (!bytes)
            return result;
        for (const std::string& suggestion : hunspell_->suggest(*bytes)) {
            const QString text = decoded(suggestion);
            if (!text.isEmpty() && !result.contains(text))
                result += text;
        }
        return result;
    }

    void accept(const QString& word) override
    {
        if (word.isEmpty())
            return;
        const std::optional<std::string> bytes = word.size() <= kLongestWord ? encoded(word) : std::nullopt;
        if (bytes)
            hunspell_->add(*bytes); // then its capitalised and upper-case forms count too
        else
            accepted_.insert(word);
    }

private:
    std::optional<std::string> encoded(const QString& word) const
    {
        if (!encoder_)
            return word.toStdString();
        encoder_->resetState();
        const QByteArray bytes = encoder_->encode(word);
        if (encoder_->hasError())
            return std::nullopt;
        return bytes.toStdString();
    }

    QString decoded(const std::string& bytes) const
    {
        if (!decoder_)
            return QString::fromStdString(bytes);
        decoder_->resetState();
        return decoder_->decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    }

    // Hunspell's lookups change its caches, so none of its calls is const.
    std::unique_ptr<Hunspell> hunspell_;
    mutable std::optional<QStringEncoder> encoder_;
    mutable std::optional<QStringDecoder> decoder_;
    QSet<QString> accepted_; // accepted words the dictionary's encoding cannot hold
    QSet<QChar> alphabet_; // lower case; empty when the dictionary names none
};

} // namespace

std::unique_ptr<ISpellChecker> openSpellChecker(const QString& language, QString* error, const QStringList& folders)
{
    QString reason;
    auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return nullptr;
    };
    if (language.isEmpty() || language.contains(QLatin1Char('/')) || language.contains(QLatin1Char('\\'))
        || language.startsWith(QLatin1Char('.')))
        return fail(QStringLiteral("\"%1\" is no dictionary name (such as en_US)").arg(language));
    for (const QString& folder : folders) {
        const QDir dir(folder);
        const QString affixPath = dir.filePath(language + QStringLiteral(".aff"));
        const QString wordsPath = dir.filePath(language + QStringLiteral(".dic"));
        if (!QFileInfo::exists(affixPath) || !QFileInfo::exists(wordsPath))
            continue;
        QFile affixFile(affixPath);
        QFile wordsFile(wordsPath);
        if (!openToRead(affixFile, &reason) || !openToRead(wordsFile, &reason)
            || !hasPlausibleWordCount(wordsFile, &reason))
            return fail(QStringLiteral("The %1 dictionary cannot be opened: %2").arg(language, reason));
        std::unique_ptr<Hunspell> hunspell;
        try {
            hunspell = std::make_unique<Hunspell>(
                QFile::encodeName(affixPath).constData(), QFile::encodeName(wordsPath).constData());
        } catch (const std::exception& e) {
            return fail(QStringLiteral("The %1 dictionary in %2 cannot be loaded: %3")
                            .arg(language, QDir::toNativeSeparators(folder), QString::fromLocal8Bit(e.what())));
        }
        const QString encoding = QString::fromStdString(hunspell->get_dict_encoding());
        const QByteArray tryLine = affixEntry(affixFile, "TRY");
        if (isUtf8Name(encoding))
            return std::make_unique<HunspellSpellChecker>(std::move(hunspell), QString(), tryLine);
        const QString qtName = qtEncodingName(encoding);
        const QByteArray name = qtName.toLatin1();
        if (!QStringEncoder(name.constData()).isValid() || !QStringDecoder(name.constData()).isValid())
            return fail(QStringLiteral("The %1 dictionary in %2 is written in %3, an encoding this program cannot read")
                            .arg(language, QDir::toNativeSeparators(folder), encoding));
        return std::make_unique<HunspellSpellChecker>(std::move(hunspell), qtName, tryLine);
    }
    QStringList shown;
    for (const QString& folder : folders)
        shown += QDir::toNativeSeparators(folder);
    return fail(shown.isEmpty() ? QStringLiteral("No dictionary for %1: no dictionary folder to look in").arg(language)
                                : QStringLiteral("No dictionary for %1 (%1.aff and %1.dic) in %2")
                                      .arg(language, shown.join(QStringLiteral(", "))));
}

} // namespace quillon::platform
