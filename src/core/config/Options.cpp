#include "config/Options.h"

#include "model/TextPrimitives.h"
#include "platform/Environment.h"
#include "platform/PrinterDefaults.h"

#include <cmath>
#include <limits>

namespace quillon::config {

const char* const kColorKeys[kColorCount] = {
    "Normal Text",
    "Comment Text",
    "Constants",
    "Global Level Variables",
    "Module Specific Variables",
    "Procedure ByRef Variables",
    "Procedure Names",
    "Literal Text",
    "Too Long Line BackColor",
    "Theme Color",
};

QString versionText()
{
    return QStringLiteral("Version " QUILLON_VERSION);
}

QString noticeText()
{
    return QStringLiteral("(c) 2026 Tandrel");
}

namespace {

constexpr qint32 kColorLimit = 16777215;

qint32 rgb(int a, int b, int c)
{
    return 65536 * a + 256 * b + c;
}

// The text-to-number conversion of the given width: whole numbers, or decimals rounded to
// the nearest (even) whole number; nullopt when the text is no number or out of range.
std::optional<qint64> parseWhole(const QString& text, qint64 low, qint64 high)
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

std::optional<float> parseSingle(const QString& text)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(d);
}

QString formatSingle(float value)
{
    return QString::number(double(value), 'f', 3);
}

// What `raw` reads as for this option, as it is held and saved; nullopt when it is no value
// of the option's type or none of its choices, and the default applies.
std::optional<QString> readValue(const OptionSpec& spec, const QString& raw)
{
    std::optional<QString> value;
    switch (spec.type) {
    case OptionType::Text:
    case OptionType::Aggregate:
        value = raw;
        break;
    case OptionType::Bool:
        // Any word the boolean texts know ("yes", "on", "-1" ...), not only "True" and "False".
        if (textToBool(raw, false) == textToBool(raw, true))
            value = boolToText(textToBool(raw, false));
        break;
    case OptionType::Int16:
        if (const auto whole = parseWhole(raw, -32768, 32767))
            value = QString::number(*whole);
        break;
    case OptionType::Int32:
    case OptionType::Color:
        if (const auto whole = parseWhole(raw, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()))
            value = QString::number(*whole);
        break;
    case OptionType::Single:
        if (const auto single = parseSingle(raw))
            value = formatSingle(*single);
        break;
    }
    return value ? namedChoice(spec, *value) : std::nullopt;
}

std::vector<OptionSpec> buildTable()
{
    using T = OptionType;
    using D = DynamicDefault;
    std::vector<OptionSpec> t;
    auto add = [&](const char* suffix, const char* key, T type, const QString& def, D dyn = D::None, bool loaded = true,
                   SaveRule save = SaveRule::Always) {
        t.push_back({QString::fromLatin1(suffix), QString::fromLatin1(key), type, def, dyn, loaded, save});
    };
    // The options window shows these options as buttons: a value without a button would
    // leave none of them pressed.
    auto offers = [&](QStringList choices) { t.back().choices = std::move(choices); };
    const QStringList yesNo = {"True", "False"};
    add(":Folders", "ProjectFolder", T::Text, QString(), D::UserDataFolder);
    add(":Folders", "VBPFolder", T::Text, QString(), D::HomeFolder);
    add(":Folders", "Output Folder", T::Text, QString(), D::DocumentsFolder);
    add(":IDE", "Mimic", T::Bool, "False");
    offers(yesNo);
    add(":IDE", "Long Line", T::Text, QString());
    add(":IDE", "Code Page", T::Text, "windows-1252");
    add(":IDE", "Tab Width", T::Text, QString());
    add(":Highlighting", "HighlightChains", T::Bool, "False");
    add(":Output", "Device Name", T::Text, QString(), D::PrinterDevice, true, SaveRule::WhilePrinterScope);
    add(":Output", "Driver Name", T::Text, QString(), D::PrinterDriver, true, SaveRule::WhilePrinterScope);
    add(":Output", "Printer Port", T::Text, QString(), D::PrinterPort, true, SaveRule::WhilePrinterScope);
    add(":Output", "Paper Size", T::Text, QString(), D::PaperSize);
    offers({"Letter", "Legal"});
    add(":Output", "Page Orientation", T::Text, QString(), D::Orientation);
    offers({"Portrait", "Landscape"});
    add(":Output", "Font Name", T::Text, QString(), D::FontName);
    add(":Output", "Font Size", T::Single, QString(), D::FontSize);
    add(":Output", "GDISpoolSize", T::Int16, "0");
    add(":Output", "Printer Scope", T::Bool, "False");
    offers(yesNo);
    add(":Output", "Aggregate", T::Aggregate, "None");
    offers({"None", "Small", "All"});
    add(":Output", "Brackets", T::Bool, "False");
    offers(yesNo);
    add(":Output", "Duplex", T::Bool, "False");
    offers(yesNo);
    add(":Output", "Binding Edge", T::Int16, "0");
    offers({"0", "1", "2", "3", "4", "5", "6"});
    add(":Output", "Folding Guide", T::Int16, "0");
    offers({"0", "1", "2", "3", "4"});
    add(":Output", "Code Indent", T::Int16, QString(), D::IdeIndent);
    add(":Output", "Wrap Indent", T::Int16, QString(), D::IdeIndent, false);
    // Where File | Export HTML last wrote a site; empty until then (the Output Folder is offered).
    add(":Output", "Site Folder", T::Text, QString());
    add(":Margins", "Left", T::Single, "0.500");
    add(":Margins", "Right", T::Single, "0.500");
    add(":Margins", "Top", T::Single, "1.000");
    add(":Margins", "Bottom", T::Single, "1.000");
    add(":Margins", "Binder", T::Single, "0.750");
    add(":Colors", "ColorDefaultNoteSeen", T::Bool, "False");
    const qint32 colorDefaults[kColorCount] = {
        0,
        rgb(0, 100, 0),
        rgb(0, 80, 180),
        255,
        rgb(210, 80, 0),
        rgb(160, 0, 160),
        rgb(128, 0, 128),
        rgb(120, 40, 0),
        rgb(255, 255, 153),
        16777215,
    };
    for (int i = 0; i < kColorCount; ++i) {
        const qint32 def = (colorDefaults[i] < 0 || colorDefaults[i] > kColorLimit) ? 0 : colorDefaults[i];
        add(":Colors", kColorKeys[i], T::Color, QString::number(def));
    }
    add(":DAWrapLineForm", "Wrap Code Indent", T::Int16, QString(), D::IdeIndent);
    add(":DAWrapLineForm", "Which Indent", T::Int16, "0");
    add(":DAWrapLineForm", "Sig Wrap", T::Int16, "0");
    add(":DAWrapLineForm", "Wrap 2 Sig", T::Bool, "False");
    add(":DAIndentForm", "Indent Width", T::Int16, QString(), D::IdeIndent);
    const std::pair<const char*, const char*> indentSwitches[] = {{"Indent Procedure Body", "True"},
        {"Indent First Comments", "True"}, {"Indent Case", "True"}, {"Indent Type Members", "True"},
        {"Directives In Column 1", "True"}, {"Indent Continuations", "False"}, {"Align Comments", "True"},
        {"Debug In Column 1", "False"}, {"Tabs To Blanks", "False"}};
    for (const auto& [key, def] : indentSwitches) {
        add(":DAIndentForm", key, T::Bool, QString::fromLatin1(def));
        offers(yesNo);
    }
    add(":DAHeaderForm", "Author", T::Text, QString());
    add(":DALineNumberForm", "First Number", T::Int32, "10");
    add(":DALineNumberForm", "Number Step", T::Int32, "10");
    add(":DALineNumberForm", "Restart Each Procedure", T::Bool, "True");
    offers(yesNo);
    add(":DASortForm", "Sort By", T::Text, "kind");
    offers({"name", "kind", "events"});
    add(":DASpellForm", "Literals Only", T::Bool, "False");
    offers(yesNo);
    add(":DASpellForm", "Language", T::Text, "en_US");
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

std::optional<QString> namedChoice(const OptionSpec& spec, const QString& text)
{
    if (spec.choices.isEmpty())
        return text;
    // The aggregation is compared exactly where it is read: "all" is not "All".
    const Qt::CaseSensitivity letterCase = spec.type == OptionType::Aggregate ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const QString given = text.trimmed();
    for (const QString& choice : spec.choices) {
        if (given.compare(choice, letterCase) == 0)
            return choice;
    }
    return std::nullopt;
}

QString choicesText(const OptionSpec& spec)
{
    if (spec.choices.size() < 2)
        return spec.choices.join(QString());
    return spec.choices.mid(0, spec.choices.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ")
        + spec.choices.back();
}

Options::Options(IniStore& ini, const platform::IPrinterDefaults& printer) : ini_(ini), printer_(printer)
{
    for (const OptionSpec& spec : table())
        values_.insert(id(spec.suffix, spec.key), normalise(spec, defaultText(spec)));
}

const std::vector<OptionSpec>& Options::table()
{
    static const std::vector<OptionSpec> table = buildTable();
    return table;
}

const OptionSpec* Options::find(const QString& section, const QString& key)
{
    QString suffix = section.trimmed();
    if (suffix.startsWith(kProductName, Qt::CaseInsensitive))
        suffix = suffix.mid(kProductName.size());
    if (!suffix.startsWith(QLatin1Char(':')))
        suffix.prepend(QLatin1Char(':'));
    for (const OptionSpec& spec : table()) {
        if (model::equalsNoCase(spec.suffix, suffix) && model::equalsNoCase(spec.key, key.trimmed()))
            return &spec;
    }
    return nullptr;
}

QString Options::id(const QString& suffix, const QString& key)
{
    return model::upperCase(suffix) + QLatin1Char('|') + model::upperCase(key);
}

const OptionSpec& Options::specOf(OptionKey key) const
{
    const OptionSpec* spec = find(QString::fromLatin1(key.suffix), QString::fromLatin1(key.key));
    Q_ASSERT(spec);
    return *spec;
}

QString Options::defaultText(const OptionSpec& spec) const
{
    switch (spec.dynamicDefault) {
    case DynamicDefault::None:
        return spec.defaultText;
    case DynamicDefault::UserDataFolder:
        return platform::userDataFolder();
    case DynamicDefault::HomeFolder:
        return platform::homeFolder();
    case DynamicDefault::DocumentsFolder:
        return platform::documentsFolder();
    case DynamicDefault::PrinterDevice:
        return printer_.current().deviceName;
    case DynamicDefault::PrinterDriver:
        return printer_.current().driverName;
    case DynamicDefault::PrinterPort:
        return printer_.current().port;
    case DynamicDefault::PaperSize:
        return printer_.current().paperCode == 1 ? QStringLiteral("Letter") : QStringLiteral("Legal");
    case DynamicDefault::Orientation:
        return printer_.current().orientationCode == 1 ? QStringLiteral("Portrait") : QStringLiteral("Landscape");
    case DynamicDefault::FontName:
        return printer_.current().fontName;
    case DynamicDefault::FontSize:
        return formatSingle(float(printer_.current().fontSize));
    case DynamicDefault::IdeIndent:
        return QString::number(ideTabWidth());
    case DynamicDefault::Version:
        return versionText();
    case DynamicDefault::Notice:
        return noticeText();
    }
    return spec.defaultText;
}

QString Options::normalise(const OptionSpec& spec, const QString& raw) const
{
    for (const QString& candidate : {raw, defaultText(spec)}) {
        if (const std::optional<QString> value = readValue(spec, candidate))
            return *value;
    }
    if (!spec.choices.isEmpty())
        return spec.choices.front();
    switch (spec.type) {
    case OptionType::Text:
        return raw;
    case OptionType::Bool:
        return boolToText(false);
    case OptionType::Single:
        return formatSingle(0.0f);
    default:
        return QStringLiteral("0");
    }
}

void Options::load()
{
    const IniDocument doc = ini_.load();
    storedNotAChoice_.clear();
    for (const OptionSpec& spec : table()) {
        QString raw;
        if (spec.loaded)
            raw = doc.value(sectionName(spec.suffix), spec.key).value_or(QString());
        if (raw.isEmpty())
            raw = defaultText(spec);
        values_.insert(id(spec.suffix, spec.key), normalise(spec, raw));
        if (!spec.choices.isEmpty() && !readValue(spec, raw))
            storedNotAChoice_.push_back({&spec, raw});
    }
    // The wrap form's indent is loaded last and is the code indent from then on.
    values_.insert(id(":Output", "Code Indent"), text(opt::WrapCodeIndent));
    values_.insert(id(":Output", "Wrap Indent"), text(opt::WrapCodeIndent));
    const QString theme = doc.value(sectionName(":Colors"), "Theme Color").value_or(QString());
    windowBackColor_ = qint32(parseWhole(theme.isEmpty() ? QStringLiteral("15793858") : theme,
        std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max())
                                  .value_or(15793858));
}

bool Options::save() const
{
    IniDocument doc = ini_.load();
    const bool scope = boolean(opt::PrinterScope);
    for (const OptionSpec& spec : table()) {
        if (spec.save == SaveRule::Never || (spec.save == SaveRule::WhilePrinterScope && !scope))
            continue;
        QString value = values_.value(id(spec.suffix, spec.key));
        if (spec.suffix == QLatin1String(":Output") && spec.key == QLatin1String("Wrap Indent"))
            value = text(opt::CodeIndent);
        doc.setValue(sectionName(spec.suffix), spec.key, value);
    }
    return ini_.save(doc);
}

void Options::writeProjectInfo() const
{
    IniDocument doc = ini_.load();
    doc.setValue(sectionName(":ProjectInfo"), "Version", versionText());
    doc.setValue(sectionName(":ProjectInfo"), "Copyright", noticeText());
    ini_.save(doc);
}

QString Options::text(OptionKey key) const
{
    return values_.value(id(QString::fromLatin1(key.suffix), QString::fromLatin1(key.key)));
}

QString Options::text(const OptionSpec& spec) const
{
    return values_.value(id(spec.suffix, spec.key));
}

bool Options::boolean(OptionKey key) const
{
    return text(key) == QLatin1String("True");
}

int Options::integer(OptionKey key) const
{
    return text(key).toInt();
}

float Options::single(OptionKey key) const
{
    return text(key).toFloat();
}

void Options::set(OptionKey key, const QString& value)
{
    const OptionSpec& spec = specOf(key);
    values_.insert(id(spec.suffix, spec.key), normalise(spec, value.trimmed().isEmpty() ? defaultText(spec) : value));
    std::erase_if(storedNotAChoice_, [&spec](const NotAChoice& stored) { return stored.spec == &spec; });
    if (spec.suffix == QLatin1String(":DAWrapLineForm") && spec.key == QLatin1String("Wrap Code Indent"))
        values_.insert(id(":Output", "Code Indent"), text(key));
}

model::AggregateMode Options::aggregateMode() const
{
    const QString word = text(opt::Aggregate);
    if (word == QLatin1String("Small"))
        return model::AggregateMode::SmallProperties;
    if (word == QLatin1String("All"))
        return model::AggregateMode::AllProperties;
    return model::AggregateMode::None;
}

int Options::ideTabWidth() const
{
    const QString raw = values_.value(id(":IDE", "Tab Width"));
    const std::optional<qint64> value =
        parseWhole(raw, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    if (!value || *value < 1)
        return 4;
    return *value > 32 ? 32 : int(*value);
}

int Options::codeIndentWidth() const
{
    return integer(opt::CodeIndent);
}

qint32 Options::color(int index) const
{
    if (index < 0 || index >= kColorCount)
        return 0;
    return qint32(text(OptionKey {":Colors", kColorKeys[index]}).toLongLong());
}

std::vector<Options::Entry> Options::effective() const
{
    std::vector<Entry> entries;
    for (const OptionSpec& spec : table())
        entries.push_back({&spec, values_.value(id(spec.suffix, spec.key))});
    return entries;
}

} // namespace quillon::config
