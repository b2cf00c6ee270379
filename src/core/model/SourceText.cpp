#include "model/SourceText.h"

#include "model/CodePageTables.h"
#include "model/DiagLog.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace quillon::model {

struct CodePageRegistry {
    std::vector<CodePage> pages;
    std::vector<std::unordered_map<char16_t, unsigned char>> reverse;
    CodePageRegistry()
    {
        pages.reserve(size_t(kCodePageTableCount));
        for (int i = 0; i < kCodePageTableCount; ++i) {
            pages.push_back(CodePage(&kCodePageTables[i]));
            std::unordered_map<char16_t, unsigned char> map;
            for (int b = 0; b < 128; ++b)
                map.emplace(kCodePageTables[i].upper[b], static_cast<unsigned char>(0x80 + b));
            reverse.push_back(std::move(map));
        }
    }
    static const CodePageRegistry& instance()
    {
        static const CodePageRegistry registry;
        return registry;
    }
};

const CodePage* CodePage::find(const QString& name)
{
    QString wanted = name.trimmed().toLower();
    if (wanted.startsWith(QStringLiteral("windows-")))
        wanted = wanted.mid(8);
    else if (wanted.startsWith(QStringLiteral("cp")))
        wanted = wanted.mid(2);
    for (const CodePage& page : CodePageRegistry::instance().pages) {
        if (QString::fromLatin1(page.table_->name).mid(8) == wanted)
            return &page;
    }
    return nullptr;
}

const CodePage& CodePage::standard()
{
    static const CodePage* page = find(QStringLiteral("windows-1252"));
    return *page;
}

QStringList CodePage::names()
{
    QStringList names;
    for (const CodePage& page : CodePageRegistry::instance().pages)
        names << page.name();
    return names;
}

QString CodePage::name() const
{
    return QString::fromLatin1(table_->name);
}

QString CodePage::decode(QByteArrayView bytes) const
{
    // Below 0x80 every code page is ASCII: Qt's Latin-1 conversion takes those bytes many at a
    // time, and the few above are put right after.
    QString text = QString::fromLatin1(bytes);
    if (text.isEmpty())
        return text;
    QChar* out = text.data();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (in[i] >= 0x80)
            out[i] = QChar(table_->upper[in[i] - 0x80]);
    }
    return text;
}

QByteArray CodePage::encode(QStringView text, bool* ok) const
{
    const auto& registry = CodePageRegistry::instance();
    const auto& reverse = registry.reverse[size_t(this - registry.pages.data())];
    QByteArray bytes(text.size(), Qt::Uninitialized);
    bool allMapped = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            bytes[i] = char(c);
            continue;
        }
        const auto it = reverse.find(c);
        if (it != reverse.end()) {
            bytes[i] = char(it->second);
        } else {
            bytes[i] = '?';
            allMapped = false;
        }
    }
    if (ok)
        *ok = allMapped;
    return bytes;
}

bool isValidUtf8(QByteArrayView bytes, bool* nonAscii)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    bool high = false;
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        high = true;
        int extra;
        char32_t value;
        char32_t minimum;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            value = c & 0x1F;
            minimum = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            value = c & 0x0F;
            minimum = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            value = c & 0x07;
            minimum = 0x10000;
        } else {
            if (nonAscii)
                *nonAscii = true;
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80) {
                if (nonAscii)
                    *nonAscii = true;
                return false;
            }
            value = (value << 6) | (p[i + k] & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            if (nonAscii)
                *nonAscii = true;
            return false;
        }
        i += extra + 1;
    }
    if (nonAscii)
        *nonAscii = high;
    return true;
}

namespace {
// QString::fromUtf8 drops a byte order mark at the start of what it decodes, so a second mark
// after the one taken off would be lost and the text would no longer write back byte for byte.
QString decodeUtf8KeepingMarks(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}
} // namespace

QString decodeSourceBytes(QByteArrayView bytes, const CodePage& codePage, TextEncoding* used)
{
    TextEncoding encoding;
    encoding.codePage = &codePage;
    const bool hasBom = bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF
        && static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF;
    QString text;
    bool nonAscii = false;
    if (hasBom && isValidUtf8(bytes.sliced(3))) {
        encoding.utf8 = true;
        encoding.bom = true;
        text = decodeUtf8KeepingMarks(bytes.sliced(3));
    } else if (isValidUtf8(bytes, &nonAscii) && nonAscii) {
        encoding.utf8 = true;
        text = decodeUtf8KeepingMarks(bytes);
    } else {
        text = codePage.decode(bytes);
    }
    if (used)
        *used = encoding;
    return text;
}

QByteArray encodeSourceText(QStringView text, const TextEncoding& encoding, bool* ok)
{
    if (encoding.utf8) {
        if (ok)
            *ok = true;
        QByteArray bytes = encoding.bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
        bytes += text.toUtf8();
        return bytes;
    }
    const CodePage& page = encoding.codePage ? *encoding.codePage : CodePage::standard();
    return page.encode(text, ok);
}

QStringList splitLines(QStringView text, bool* endsWithTerminator)
{
    QStringList lines;
    const qsizetype n = text.size();
    const QChar* p = text.data();
    qsizetype start = 0;
    bool terminated = false;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.sliced(start, i - start).toString());
        if (c == u'\r' && i + 1 < n && p[i + 1].unicode() == u'\n')
            ++i;
        start = i + 1;
        terminated = true;
    }
    if (start < n) {
        lines.append(text.sliced(start).toString());
        terminated = false;
    }
    if (endsWithTerminator)
        *endsWithTerminator = terminated && n > 0;
    return lines;
}

SourceReader::SourceReader() : SourceReader(CodePage::standard(), &DiagLog::standard())
{ }

SourceReader::SourceReader(const CodePage& codePage, DiagLog* log) : codePage_(&codePage), log_(log)
{ }

const SourceReader& SourceReader::standard()
{
    static const SourceReader reader;
    return reader;
}

Outcome<QByteArray> readRegularFile(const QString& path, qint64 maxBytes)
{
    // Opened without waiting, so that a FIFO or a terminal named like a source file is
    // refused at once instead of blocking the program until someone writes to it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int number = errno;
        return Failure {QString::fromLocal8Bit(std::strerror(number)), number};
    }
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const bool folder = S_ISDIR(info.st_mode);
        ::close(fd);
        return folder ? Failure {QStringLiteral("it is a folder, not a file"), EISDIR}
                      : Failure {kNotARegularFile, ENODEV};
    }
    if (maxBytes >= 0 && info.st_size > maxBytes) {
        ::close(fd);
        return Failure {QStringLiteral("it is too large to be a source file"), EFBIG};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile file;
    // Unbuffered: the whole file is read in one call, straight into its array.
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Failure {file.errorString(), 0};
    }
    errno = 0;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        const int number = errno;
        return Failure {file.errorString(), number};
    }
    return bytes;
}

Outcome<SourceFile> SourceReader::read(const QString& path) const
{
    if (log_)
        log_->openInput(path);
    Outcome<QByteArray> file = readRegularFile(path, kMaxFileBytes);
    if (!file) {
        if (log_)
            log_->failedOpenInput(path, file.errorNumber(), file.error());
        return file.failure();
    }
    SourceFile result;
    result.hasNul = file->contains('\0');
    const QString text = decodeSourceBytes(*file, *codePage_, &result.encoding);
    file->clear(); // the bytes are not kept beside their text
    result.lines = splitLines(text);
    return result;
}

} // namespace quillon::model
