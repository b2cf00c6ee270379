#include "model/SourceKind.h"

#include "model/TextPrimitives.h"

#include <array>

namespace quillon::model {

namespace {

struct KindEntry {
    QLatin1StringView type;
    SourceKind kind;
};

constexpr std::array<KindEntry, 7> kKinds {{
    {QLatin1StringView("FRM"), SourceKind::Form},
    {QLatin1StringView("BAS"), SourceKind::Module},
    {QLatin1StringView("CLS"), SourceKind::Class},
    {QLatin1StringView("CTL"), SourceKind::UserControl},
    {QLatin1StringView("PAG"), SourceKind::PropertyPage},
    {QLatin1StringView("DOB"), SourceKind::UserDocument},
    {QLatin1StringView("DSR"), SourceKind::Designer},
}};

// The project-file keys whose value is the path alone (modules and classes give a name first).
constexpr std::array<QLatin1StringView, 5> kPathEntries {QLatin1StringView("Form="), QLatin1StringView("UserControl="),
    QLatin1StringView("PropertyPage="), QLatin1StringView("UserDocument="), QLatin1StringView("Designer=")};

QSet<QString> upperSet(std::initializer_list<const char*> names)
{
    QSet<QString> set;
    for (const char* name : names)
        set.insert(upperCase(QString::fromLatin1(name)));
    return set;
}

// What the designers that write .dsr files call their object in event handler names.
constexpr std::array<QLatin1StringView, 5> kDesignerObjects {QLatin1StringView("DataEnvironment"),
    QLatin1StringView("DataReport"), QLatin1StringView("AddinInstance"), QLatin1StringView("DHTMLPage"),
    QLatin1StringView("WebClass")};

QLatin1StringView ownObjectWord(SourceKind kind)
{
    switch (kind) {
    case SourceKind::UserControl:
        return QLatin1StringView("UserControl");
    case SourceKind::PropertyPage:
        return QLatin1StringView("PropertyPage");
    case SourceKind::UserDocument:
        return QLatin1StringView("UserDocument");
    default:
        return {};
    }
}

} // namespace

SourceKind sourceKindOfType(QStringView fileType)
{
    for (const KindEntry& entry : kKinds) {
        if (fileType.compare(entry.type, Qt::CaseInsensitive) == 0)
            return entry.kind;
    }
    return SourceKind::Other;
}

SourceKind sourceKindOfLayoutObject(QStringView objectType)
{
    if (objectType.startsWith(QLatin1Char('{')))
        return SourceKind::Designer;
    const struct {
        const char16_t* type;
        SourceKind kind;
    } objects[] = {{u"VB.UserControl", SourceKind::UserControl}, {u"VB.PropertyPage", SourceKind::PropertyPage},
        {u"VB.UserDocument", SourceKind::UserDocument}};
    for (const auto& object : objects) {
        if (equalsNoCase(objectType, object.type))
            return object.kind;
    }
    return SourceKind::Form;
}

QLatin1StringView fileTypeOf(SourceKind kind)
{
    for (const KindEntry& entry : kKinds) {
        if (entry.kind == kind)
            return entry.type;
    }
    return {};
}

SourceKind sourceKindOfPath(const QString& path)
{
    return sourceKindOfType(fileExtension(path));
}

int fileTypeRank(QStringView fileType)
{
    return int(sourceKindOfType(fileType)) + 1;
}

bool hasLayoutBlock(SourceKind kind)
{
    return kind == SourceKind::Form || isObjectFile(kind);
}

bool hasImage(SourceKind kind)
{
    return hasLayoutBlock(kind) && kind != SourceKind::Designer;
}

bool isClassLike(SourceKind kind)
{
    return kind == SourceKind::Class || isObjectFile(kind);
}

bool isObjectFile(SourceKind kind)
{
    return kind == SourceKind::UserControl || kind == SourceKind::PropertyPage || kind == SourceKind::UserDocument
        || kind == SourceKind::Designer;
}

QString pathEntryOf(const QString& trimmedLine)
{
    for (QLatin1StringView key : kPathEntries) {
        if (trimmedLine.startsWith(key))
            return trimBlanks(QStringView(trimmedLine).sliced(key.size())).toString();
    }
    return QString();
}

const QSet<QString>& ownObjectEvents(SourceKind kind)
{
    // Mouse, key, focus, drag and OLE drag events all three objects raise.
    static const QSet<QString> shared = upperSet({"Click", "DblClick", "DragDrop", "DragOver", "GotFocus", "Initialize",
        "KeyDown", "KeyPress", "KeyUp", "LostFocus", "MouseDown", "MouseMove", "MouseUp", "OLECompleteDrag",
        "OLEDragDrop", "OLEDragOver", "OLEGiveFeedback", "OLESetData", "OLEStartDrag", "Paint", "Terminate"});
    static const QSet<QString> userControl = shared
        + upperSet({"AccessKeyPress", "AmbientChanged", "AsyncReadComplete", "AsyncReadProgress", "EnterFocus",
            "ExitFocus", "GetDataMember", "Hide", "HitTest", "InitProperties", "ReadProperties", "Resize", "Show",
            "WriteProperties"});
    static const QSet<QString> propertyPage = shared + upperSet({"ApplyChanges", "EditProperty", "SelectionChanged"});
    static const QSet<QString> userDocument = shared
        + upperSet({"AsyncReadComplete", "AsyncReadProgress", "EnterFocus", "ExitFocus", "Hide", "InitProperties",
            "ReadProperties", "Resize", "Scroll", "Show", "WriteProperties"});
    static const QSet<QString> none;
    switch (kind) {
    case SourceKind::UserControl:
        return userControl;
    case SourceKind::PropertyPage:
        return propertyPage;
    case SourceKind::UserDocument:
        return userDocument;
    default:
        return none;
    }
}

namespace {

// The file's own object that an upper-cased handler name is named after (with an event that
// object raises, for the three whose events are known); empty otherwise.
QLatin1StringView ownObjectOf(SourceKind kind, QStringView upperName)
{
    auto startsWithObject = [&](QLatin1StringView word) {
        return upperName.size() > word.size() + 1 && upperName.at(word.size()) == QLatin1Char('_')
            && upperName.first(word.size()).compare(word, Qt::CaseInsensitive) == 0;
    };
    if (kind == SourceKind::Designer) {
        for (QLatin1StringView word : kDesignerObjects) {
            if (startsWithObject(word))
                return word;
        }
        return {};
    }
    const QLatin1StringView word = ownObjectWord(kind);
    if (word.isEmpty() || !startsWithObject(word))
        return {};
    return ownObjectEvents(kind).contains(upperName.sliced(word.size() + 1).toString()) ? word : QLatin1StringView();
}

} // namespace

ObjectEvents::ObjectEvents(SourceKind kind, QSet<QString> controls) : kind_(kind), controls_(std::move(controls))
{ }

bool ObjectEvents::isHandlerName(QStringView name) const
{
    if (!isObjectFile(kind_))
        return false;
    const QString upper = upperCase(trimBlanks(name));
    if (!ownObjectOf(kind_, upper).isEmpty())
        return true;
    // Control names may hold underscores themselves: any underscore may end the control's name.
    for (qsizetype at = upper.indexOf(QLatin1Char('_')); at > 0 && at + 1 < upper.size();
         at = upper.indexOf(QLatin1Char('_'), at + 1)) {
        if (controls_.contains(upper.left(at)))
            return true;
    }
    return false;
}

QString ownObjectLabel(SourceKind kind, QStringView name)
{
    const QLatin1StringView object = ownObjectOf(kind, upperCase(trimBlanks(name)));
    return object.isEmpty() ? QString() : QString(object) + QStringLiteral(" Event");
}

const std::vector<QLatin1StringView>& objectWords()
{
    static const std::vector<QLatin1StringView> words = [] {
        std::vector<QLatin1StringView> all {ownObjectWord(SourceKind::UserControl),
            ownObjectWord(SourceKind::PropertyPage), ownObjectWord(SourceKind::UserDocument)};
        all.insert(all.end(), kDesignerObjects.begin(), kDesignerObjects.end());
        return all;
    }();
    return words;
}

QSet<QString> layoutObjectNames(const QStringList& lines, qsizetype headerLines)
{
    QSet<QString> names;
    bool outermostSeen = false;
    const qsizetype end = std::min(headerLines, lines.size());
    for (qsizetype i = 0; i < end; ++i) {
        const QStringView t = trimBlanks(lines[i]);
        // "BeginProperty" groups (fonts, designer settings) declare no object.
        if (!t.startsWith(QLatin1String("Begin ")))
            continue;
        if (!outermostSeen) {
            outermostSeen = true;
            continue;
        }
        // "Begin VB.Label lblTick": the type, then the name.
        const QStringView rest = trimBlanks(t.sliced(6));
        const qsizetype blank = rest.indexOf(QLatin1Char(' '));
        if (blank < 0)
            continue;
        const QStringView name = trimBlanks(rest.sliced(blank + 1));
        if (!name.isEmpty())
            names.insert(upperCase(name));
    }
    return names;
}

} // namespace quillon::model
