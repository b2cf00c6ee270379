#include "config/Options.h"

#include "model/TextPrimitives.h"
#include "platform/Environment.h"
#include "platform/PrinterDefaults.h"

#include <cmath>
#include <limits>

namespace quillon::config {

const char* const kColorKeys[kColorCount] = {
    "Normal Text", "Comment Text", "Constants", "Global Level Variables", "Module Specific Variables",
    "Procedure ByRef Variables", "Procedure Names", "Literal Text", "Too Long Line BackColor", "Theme Color",
};

QString VersionText()
{
    return QStringLiteral("Version " QUILLON_VERSION);
}

QString NoticeText()
{
    return QStringLiteral("(c) 2026 Tandrel");
}

namespace {

constexpr qint32 kColorLimit = 16777215;

qint32 Rgb(int a, int b, int c)
{
    return 65536 * a + 256 * b + c;
}

// The text-to-number conversion of the given width: whole numbers, or decimals rounded to
// the nearest (even) whole number; nullopt when the text is no number or out of range.
std::optional<qint64> ParseWhole(const QString& text, qint64 low, qint64 high)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    qint64 value = t.toLongLong(&ok);
    if (!ok) {
        const double d = t.toDouble(&ok);
        if (!ok || !std::isfinite(d) || std::fabs(d) > 9e15)
            return std::nullopt;
        value = qint64(std::nearbyint(d));
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<float> ParseSingle(const QString& text)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(d);
}

QString FormatSingle(float value)
{
    return QString::number(double(value), 'f', 3);
}

std::vector<OptionSpec> BuildTable()
{
    using T = OptionType;
    using D = DynamicDefault;
    std::vector<OptionSpec> t;
    auto add = [&](const char* suffix, const char* key, T type, const QString& def, D dyn = D::None,
                   bool loaded = true, SaveRule save = SaveRule::Always) {
        t.push_back({QString::fromLatin1(suffix), QString::fromLatin1(key), type, def, dyn, loaded, save});
    };
    add(":Folders", "ProjectFolder", T::Text, QString(), D::ProgramFolder);
    add(":Folders", "VBPFolder", T::Text, QString(), D::ProgramFolder);
    add(":Folders", "Output Folder", T::Text, QString(), D::ProgramFolder);
    add(":IDE", "Mimic", T::Bool, "False");
    add(":IDE", "Long Line", T::Text, QString());
    add(":IDE", "Code Page", T::Text, "windows-1252");
    add(":IDE", "Tab Width", T::Text, QString());
    add(":Highlighting", "HighlightChains", T::Bool, "False");
    add(":Output", "Device Name", T::Text, QString(), D::PrinterDevice, true, SaveRule::WhilePrinterScope);
    add(":Output", "Driver Name", T::Text, QString(), D::PrinterDriver, true, SaveRule::WhilePrinterScope);
    add(":Output", "Printer Port", T::Text, QString(), D::PrinterPort, true, SaveRule::WhilePrinterScope);
    add(":Output", "Paper Size", T::Text, QString(), D::PaperSize);
    add(":Output", "Page Orientation", T::Text, QString(), D::Orientation);
    add(":Output", "Font Name", T::Text, QString(), D::FontName);
    add(":Output", "Font Size", T::Single, QString(), D::FontSize);
    add(":Output", "GDISpoolSize", T::Int16, "0");
    add(":Output", "Printer Scope", T::Bool, "False");
    add(":Output", "Aggregate", T::Aggregate, "None");
    add(":Output", "Brackets", T::Bool, "False");
    add(":Output", "Duplex", T::Bool, "False");
    add(":Output", "Binding Edge", T::Int16, "0");
    add(":Output", "Code Indent", T::Int16, QString(), D::IdeIndent);
    add(":Output", "Wrap Indent", T::Int16, QString(), D::IdeIndent, false);
    add(":Margins", "Left", T::Single, "0.500");
    add(":Margins", "Right", T::Single, "0.500");
    add(":Margins", "Top", T::Single, "1.000");
    add(":Margins", "Bottom", T::Single, "1.000");
    add(":Margins", "Binder", T::Single, "0.750");
    add(":Colors", "ColorDefaultNoteSeen", T::Bool, "False");
    const qint32 colorDefaults[kColorCount] = {
        0, Rgb(0, 100, 0), Rgb(0, 80, 180), 255, Rgb(210, 80, 0), Rgb(160, 0, 160), Rgb(128, 0, 128),
        Rgb(120, 40, 0), Rgb(255, 255, 153), 16777215,
    };
    for (int i = 0; i < kColorCount; ++i) {
        const qint32 def = (colorDefaults[i] < 0 || colorDefaults[i] > kColorLimit) ? 0 : colorDefaults[i];
        add(":Colors", kColorKeys[i], T::Color, QString::number(def));
    }
    add(":DAWrapLineForm", "Wrap Code Indent", T::Int16, QString(), D::IdeIndent);
    add(":DAWrapLineForm", "Which Indent", T::Int16, "0");
    add(":DAWrapLineForm", "Sig Wrap", T::Int16, "0");
    add(":DAWrapLineForm", "Wrap 2 Sig", T::Bool, "False");
    add(":ProjectInfo", "Version", T::Text, QString(), D::Version, false);
    add(":ProjectInfo", "Copyright", T::Text, QString(), D::Notice, false);
    add(":Support", "DonationURL", T::Text, QString());
    add(":Support", "LaunchCount", T::Int32, "0");
    add(":Support", "DonationPromptInterval", T::Int16, "20");
    add(":Support", "DonationNeverAsk", T::Bool, "False");
    add(":Support", "DonationMade", T::Int16, "0");
    return t;
}

} // namespace

Options::Options(IniStore& ini, const platform::IPrinterDefaults& printer) : ini_(ini), printer_(printer)
{
    for (const OptionSpec& spec : Table())
        values_.insert(Id(spec.suffix, spec.key), Normalise(spec, DefaultText(spec)));
}

const std::vector<OptionSpec>& Options::Table()
{
    static const std::vector<OptionSpec> table = BuildTable();
    return table;
}

const OptionSpec* Options::Find(const QString& section, const QString& key)
{
    QString suffix = section.trimmed();
    if (suffix.startsWith(kProductName, Qt::CaseInsensitive))
        suffix = suffix.mid(kProductName.size());
    if (!suffix.startsWith(QLatin1Char(':')))
        suffix.prepend(QLatin1Char(':'));
    for (const OptionSpec& spec : Table()) {
        if (model::EqualsNoCase(spec.suffix, suffix) && model::EqualsNoCase(spec.key, key.trimmed()))
            return &spec;
    }
    return nullptr;
}

QString Options::Id(const QString& suffix, const QString& key)
{
    return model::upperCase(suffix) + QLatin1Char('|') + model::upperCase(key);
}

const OptionSpec& Options::SpecOf(OptionKey key) const
{
    const OptionSpec* spec = Find(QString::fromLatin1(key.suffix), QString::fromLatin1(key.key));
    Q_ASSERT(spec);
    return *spec;
}

QString Options::DefaultText(const OptionSpec& spec) const
{
    switch (spec.dynamicDefault) {
    case DynamicDefault::None: return spec.defaultText;
    case DynamicDefault::ProgramFolder: return platform::ProgramFolder();
    case DynamicDefault::PrinterDevice: return printer_.Current().deviceName;
    case DynamicDefault::PrinterDriver: return printer_.Current().driverName;
    case DynamicDefault::PrinterPort: return printer_.Current().port;
    case DynamicDefault::PaperSize:
        return printer_.Current().paperCode == 1 ? QStringLiteral("Letter") : QStringLiteral("Legal");
    case DynamicDefault::Orientation:
        return printer_.Current().orientationCode == 1 ? QStringLiteral("Portrait") : QStringLiteral("Landscape");
    case DynamicDefault::FontName: return printer_.Current().fontName;
    case DynamicDefault::FontSize: return FormatSingle(float(printer_.Current().fontSize));
    case DynamicDefault::IdeIndent: return QString::number(IdeTabWidth());
    case DynamicDefault::Version: return VersionText();
    case DynamicDefault::Notice: return NoticeText();
    }
    return spec.defaultText;
}

QString Options::Normalise(const OptionSpec& spec, const QString& raw) const
{
    auto whole = [&](qint64 low, qint64 high) {
        for (const QString& candidate : {raw, DefaultText(spec)}) {
            if (const auto value = ParseWhole(candidate, low, high))
                return QString::number(*value);
        }
        return QStringLiteral("0");
    };
    switch (spec.type) {
    case OptionType::Text: return raw;
    case OptionType::Bool: return BoolToText(TextToBool(raw, false));
    case OptionType::Int16: return whole(-32768, 32767);
    case OptionType::Int32:
    case OptionType::Color: return whole(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    case OptionType::Single:
        for (const QString& candidate : {raw, DefaultText(spec)}) {
            if (const auto value = ParseSingle(candidate))
                return FormatSingle(*value);
        }
        return FormatSingle(0.0f);
    case OptionType::Aggregate:
        // Compared exactly: "all" is not "All".
        for (const char* word : {"None", "Small", "All"}) {
            if (raw == QLatin1String(word))
                return raw;
        }
        return QStringLiteral("None");
    }
    return raw;
}

void Options::Load()
{
    const IniDocument doc = ini_.Load();
    for (const OptionSpec& spec : Table()) {
        QString raw;
        if (spec.loaded)
            raw = doc.Value(SectionName(spec.suffix), spec.key).value_or(QString());
        if (raw.isEmpty())
            raw = DefaultText(spec);
        values_.insert(Id(spec.suffix, spec.key), Normalise(spec, raw));
    }
    // The wrap form's indent is loaded last and is the code indent from then on.
    values_.insert(Id(":Output", "Code Indent"), Text(opt::WrapCodeIndent));
    values_.insert(Id(":Output", "Wrap Indent"), Text(opt::WrapCodeIndent));
    const QString theme = doc.Value(SectionName(":Colors"), "Theme Color").value_or(QString());
    windowBackColor_ = qint32(ParseWhole(theme.isEmpty() ? QStringLiteral("15793858") : theme,
                                         std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max())
                                  .value_or(15793858));
}

bool Options::Save() const
{
    IniDocument doc = ini_.Load();
    const bool scope = Bool(opt::PrinterScope);
    for (const OptionSpec& spec : Table()) {
        if (spec.save == SaveRule::Never || (spec.save == SaveRule::WhilePrinterScope && !scope))
            continue;
        QString value = values_.value(Id(spec.suffix, spec.key));
        if (spec.suffix == QLatin1String(":Output") && spec.key == QLatin1String("Wrap Indent"))
            value = Text(opt::CodeIndent);
        doc.SetValue(SectionName(spec.suffix), spec.key, value);
    }
    return ini_.Save(doc);
}

void Options::WriteProjectInfo() const
{
    IniDocument doc = ini_.Load();
    doc.SetValue(SectionName(":ProjectInfo"), "Version", VersionText());
    doc.SetValue(SectionName(":ProjectInfo"), "Copyright", NoticeText());
    ini_.Save(doc);
}

QString Options::Text(OptionKey key) const
{
    return values_.value(Id(QString::fromLatin1(key.suffix), QString::fromLatin1(key.key)));
}

QString Options::Text(const OptionSpec& spec) const
{
    return values_.value(Id(spec.suffix, spec.key));
}

bool Options::Bool(OptionKey key) const
{
    return Text(key) == QLatin1String("True");
}

int Options::Int(OptionKey key) const
{
    return Text(key).toInt();
}

float Options::Single(OptionKey key) const
{
    return Text(key).toFloat();
}

void Options::Set(OptionKey key, const QString& value)
{
    const OptionSpec& spec = SpecOf(key);
    values_.insert(Id(spec.suffix, spec.key), Normalise(spec, value.trimmed().isEmpty() ? DefaultText(spec) : value));
    if (spec.suffix == QLatin1String(":DAWrapLineForm") && spec.key == QLatin1String("Wrap Code Indent"))
        values_.insert(Id(":Output", "Code Indent"), Text(key));
}

int Options::AggregateMode() const
{
    const QString word = Text(opt::Aggregate);
    if (word == QLatin1String("Small"))
        return 1;
    if (word == QLatin1String("All"))
        return 2;
    return 0;
}

int Options::IdeTabWidth() const
{
    const QString raw = values_.value(Id(":IDE", "Tab Width"));
    const std::optional<qint64> value = ParseWhole(raw, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    if (!value || *value < 1)
        return 4;
    return *value > 32 ? 32 : int(*value);
}

int Options::CodeIndentWidth() const
{
    return Int(opt::CodeIndent);
}

qint32 Options::Color(int index) const
{
    if (index < 0 || index >= kColorCount)
        return 0;
    return qint32(Text(OptionKey{":Colors", kColorKeys[index]}).toLongLong());
}

std::vector<Options::Entry> Options::Effective() const
{
    std::vector<Entry> entries;
    for (const OptionSpec& spec : Table())
        entries.push_back({&spec, values_.value(Id(spec.suffix, spec.key))});
    return entries;
}

} // namespace quillon::config
