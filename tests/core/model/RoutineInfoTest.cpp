#include "model/ProjectLoader.h"
#include "model/RoutineInfo.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::model;

// Records are built with designated initializers that name only the fields a case uses.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

TEST(RoutineRecord, UniqueKeysDependencyKeysListTextsAndKinds)
{
    EXPECT_EQ(MakeUniqueKey("/p/a.bas", "modA", "Foo", ""), "/p/a.bas|modA|Foo");
    EXPECT_EQ(MakeUniqueKey("/p/a.bas", " modA", "Foo ", "Sub"), "/p/a.bas| modA|Sub|Foo ");
    EXPECT_EQ(DependencyKey(nullptr), QString());
    // The same routine name in two files differs in its unique key, not in its dependency key.
    const struct { clsRoutineInfo r; QString unique, dependency, list; } cases[] = {
        {{.RoutineName = "Foo|Dep", .FilePath = "/p/a.bas", .ModuleName = "modA", .RoutineKind = kind::Dependency},
         "/p/a.bas|modA|Dependency|Foo|Dep", "MODA|FOO|DEP", "a.bas|Public Sub Foo|Dep"},
        {{.RoutineName = "Trim2", .FilePath = "/p/one/util.bas", .ModuleName = "modUtil", .RoutineKind = "Function"},
         "/p/one/util.bas|modUtil|Function|Trim2", "MODUTIL|TRIM2", "util.bas|Public Sub Trim2"},
        {{.RoutineName = "Trim2", .FilePath = "/p/two/util.bas", .ModuleName = " MODUTIL ", .RoutineKind = "Function",
          .SigLineText = "Friend Function Trim2()"},
         "/p/two/util.bas| MODUTIL |Function|Trim2", "MODUTIL|TRIM2", "util.bas|Friend Function Trim2"},
        {{.RoutineName = "Event Handler:cmdOK_Click", .FilePath = "C:\\P\\frmMain.frm", .ModuleName = "frmMain", .RoutineKind = "Sub",
          .SigLineText = "Private Sub cmdOK_Click()"},
         "C:\\P\\frmMain.frm|frmMain|Sub|Event Handler:cmdOK_Click", "FRMMAIN|EVENT HANDLER:CMDOK_CLICK",
         "frmMain.frm|Private Sub Event Handler:cmdOK_Click"},
    };
    for (auto c : cases) {
        AssignUniqueKey(c.r);
        EXPECT_EQ(QStringList({c.r.UniqueKey, DependencyKey(&c.r), ListText(c.r)}), QStringList({c.unique, c.dependency, c.list}));
    }
    // A dependency report shows the signature of the routine it reports on, when it can be found.
    auto parent = std::make_shared<clsRoutineInfo>(clsRoutineInfo{
        .FilePath = "/p/modMain.bas", .UniqueKey = "/p/modMain.bas|modMain|Function|Total", .SigLineText = "Friend Function Total() As Long"});
    const clsRoutineInfo dep{.RoutineName = "Total|Dep", .FilePath = parent->FilePath, .IsDepPseudo = true, .ParentKey = parent->UniqueKey};
    EXPECT_EQ(ListText(dep, [&](const QString& key) { return key == parent->UniqueKey ? parent : RoutinePtr(); }),
              "modMain.bas|Friend Function Total|Dep");
    EXPECT_EQ(ListText(dep), "modMain.bas|Public Sub Total|Dep");
    EXPECT_TRUE(KindIs(clsRoutineInfo{.RoutineKind = " layout "}, QLatin1StringView("LAYOUT")));
    EXPECT_TRUE(IsPseudoRoutine(clsRoutineInfo{.RoutineKind = " layout "}));
    EXPECT_FALSE(IsPseudoRoutine(clsRoutineInfo{.RoutineKind = "Property Get"}));
}

TEST(FileListOrder, FormsModulesClassesThenOthersEachByUpperCasedName)
{
    // "_" sorts after the letters once names are upper-cased. Equal names keep the order the
    // exchange sort gives: position 1 swaps with the later "a.bas", which carries the first
    // util.bas past the second.
    const struct { QStringList paths, sorted; } cases[] = {
        {{"/p/b.bas", "/p/Z.frm", "/p/a.cls", "/p/A.frm"}, {"/p/A.frm", "/p/Z.frm", "/p/b.bas", "/p/a.cls"}},
        {{"/p/x.ctl", "/p/m_b.bas", "/p/mA.bas", "/p/MZ.BAS", "/p/c.cls"}, {"/p/mA.bas", "/p/MZ.BAS", "/p/m_b.bas", "/p/c.cls", "/p/x.ctl"}},
        {{"/one/util.bas", "/two/util.bas", "/p/a.bas"}, {"/p/a.bas", "/two/util.bas", "/one/util.bas"}}};
    for (const auto& c : cases) {
        FileList files;
        for (const QString& path : c.paths) {
            files.push_back(std::make_shared<clsFileInfo>());
            files.back()->FilePath = path;
            files.back()->SetFileType(FileExtension(path));
            files.back()->FileTitle = files.back()->FileName = FileNameOf(path);
        }
        SortProjectFiles(files);
        QStringList sorted;
        for (const FilePtr& file : files)
            sorted << file->FilePath;
        EXPECT_EQ(sorted, c.sorted);
    }
}

} // namespace
