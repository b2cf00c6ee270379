#include "model/ProjectLoader.h"
#include "model/RoutineInfo.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::model;

namespace {

FilePtr File(const QString& name)
{
    auto file = std::make_shared<clsFileInfo>();
    file->FilePath = QStringLiteral("/p/") + name;
    file->SetFileType(FileExtension(name));
    file->FileTitle = name;
    file->FileName = name;
    return file;
}

QStringList Names(const FileList& files)
{
    QStringList names;
    for (const FilePtr& file : files)
        names << file->FileName;
    return names;
}

TEST(FileRecord, FileTypeIsStoredUpperCase)
{
    clsFileInfo file;
    file.SetFileType(QStringLiteral("frm"));
    EXPECT_EQ(file.FileType(), QStringLiteral("FRM"));
}

TEST(RoutineRecord, NewRecordIsEmpty)
{
    const clsRoutineInfo r;
    EXPECT_TRUE(r.RoutineName.isEmpty() && r.UniqueKey.isEmpty() && r.SigLineText.isEmpty());
    EXPECT_EQ(r.lStartLine + r.lSigLine + r.lEndLine + r.CommentLines + r.BlankLines + r.CodeLines, 0);
    EXPECT_FALSE(r.IsDeclarations || r.IsDepPseudo);
}

TEST(RoutineRecord, UniqueKeyHasThreePartsWithoutKindAndFourWithIt)
{
    EXPECT_EQ(MakeUniqueKey("/p/a.bas", "modA", "Foo", ""), QStringLiteral("/p/a.bas|modA|Foo"));
    EXPECT_EQ(MakeUniqueKey("/p/a.bas", " modA", "Foo ", "Sub"), QStringLiteral("/p/a.bas| modA|Sub|Foo "));
    clsRoutineInfo dep;
    dep.FilePath = "/p/a.bas";
    dep.ModuleName = "modA";
    dep.RoutineName = "Foo|Dep";
    dep.RoutineKind = kind::Dependency;
    AssignUniqueKey(dep);
    EXPECT_EQ(dep.UniqueKey, QStringLiteral("/p/a.bas|modA|Dependency|Foo|Dep"));
}

TEST(RoutineRecord, SameNameInTwoFilesDiffersInUniqueKeyNotInDependencyKey)
{
    clsRoutineInfo a;
    a.FilePath = "/p/one/util.bas";
    a.ModuleName = "modUtil";
    a.RoutineName = "Trim2";
    a.RoutineKind = "Function";
    clsRoutineInfo b = a;
    b.FilePath = "/p/two/util.bas";
    b.ModuleName = " MODUTIL ";
    AssignUniqueKey(a);
    AssignUniqueKey(b);
    EXPECT_NE(a.UniqueKey, b.UniqueKey);
    EXPECT_EQ(DependencyKey(&a), DependencyKey(&b));
    EXPECT_EQ(DependencyKey(&a), QStringLiteral("MODUTIL|TRIM2"));
    EXPECT_EQ(DependencyKey(nullptr), QString());
}

TEST(RoutineRecord, EventHandlerKeysAndListText)
{
    clsRoutineInfo r;
    r.FilePath = "C:\\P\\frmMain.frm";
    r.ModuleName = "frmMain";
    r.RoutineName = "Event Handler:cmdOK_Click";
    r.RoutineKind = "Sub";
    r.SigLineText = "Private Sub cmdOK_Click()";
    AssignUniqueKey(r);
    EXPECT_EQ(r.UniqueKey, QStringLiteral("C:\\P\\frmMain.frm|frmMain|Sub|Event Handler:cmdOK_Click"));
    EXPECT_EQ(DependencyKey(&r), QStringLiteral("FRMMAIN|EVENT HANDLER:CMDOK_CLICK"));
    EXPECT_EQ(ListText(r), QStringLiteral("frmMain.frm|Private Sub Event Handler:cmdOK_Click"));
}

TEST(RoutineRecord, DependencyListTextUsesTheParentSignature)
{
    auto parent = std::make_shared<clsRoutineInfo>();
    parent->FilePath = "/p/modMain.bas";
    parent->SigLineText = "Friend Function Total() As Long";
    parent->UniqueKey = "/p/modMain.bas|modMain|Function|Total";
    clsRoutineInfo dep;
    dep.FilePath = parent->FilePath;
    dep.RoutineName = "Total|Dep";
    dep.IsDepPseudo = true;
    dep.ParentKey = parent->UniqueKey;
    const RoutineLookup lookup = [&](const QString& key) { return key == parent->UniqueKey ? parent : RoutinePtr(); };
    EXPECT_EQ(ListText(dep, lookup), QStringLiteral("modMain.bas|Friend Function Total|Dep"));
    EXPECT_EQ(ListText(dep), QStringLiteral("modMain.bas|Public Sub Total|Dep"));
}

TEST(RoutineRecord, KindTestsTrimAndIgnoreCase)
{
    clsRoutineInfo r;
    r.RoutineKind = " layout ";
    EXPECT_TRUE(KindIs(r, QLatin1StringView("LAYOUT")));
    EXPECT_TRUE(IsPseudoRoutine(r));
    r.RoutineKind = "Property Get";
    EXPECT_FALSE(IsPseudoRoutine(r));
}

TEST(FileListOrder, FormsModulesClassesThenOthersEachByNameIgnoringCase)
{
    FileList files{File("b.bas"), File("Z.frm"), File("a.cls"), File("A.frm")};
    SortProjectFiles(files);
    EXPECT_EQ(Names(files), (QStringList{"A.frm", "Z.frm", "b.bas", "a.cls"}));

    FileList mixed{File("x.ctl"), File("m_b.bas"), File("mA.bas"), File("MZ.BAS"), File("c.cls")};
    SortProjectFiles(mixed);
    // "_" sorts after the letters once names are upper-cased.
    EXPECT_EQ(Names(mixed), (QStringList{"mA.bas", "MZ.BAS", "m_b.bas", "c.cls", "x.ctl"}));
}

TEST(FileListOrder, EqualNamesKeepTheOrderTheExchangeSortGives)
{
    FilePtr first = File("util.bas");
    first->FilePath = "/p/one/util.bas";
    FilePtr second = File("util.bas");
    second->FilePath = "/p/two/util.bas";
    FileList files{first, second, File("a.bas")};
    SortProjectFiles(files);
    // Position 1 swaps with the later "a.bas", which carries the first util.bas past the second.
    ASSERT_EQ(Names(files), (QStringList{"a.bas", "util.bas", "util.bas"}));
    EXPECT_EQ(files[1]->FilePath, QStringLiteral("/p/two/util.bas"));
    EXPECT_EQ(files[2]->FilePath, QStringLiteral("/p/one/util.bas"));
}

} // namespace
