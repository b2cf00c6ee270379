#pragma once
#include "model/Routine.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace quillon::analysis {
class DependencyIndex;
}
namespace quillon::model {
class Project;
}

// Where everything of a project stands on its site: which page each file's records are on and
// the anchor of each, decided before any page is written so every page can link to every other.
namespace quillon::html {

// The pages every site has; a file's page never takes one of these names.
inline const QString kIndexPage = QStringLiteral("index.html");
inline const QString kInsightPage = QStringLiteral("insight.html");
inline const QString kModulesPage = QStringLiteral("modules.html");
inline const QString kAssetsFolder = QStringLiteral("assets");

// A file's page holds at most this many lines; a longer file is split at routine boundaries
// into pages of about this size, so no page grows past a few megabytes.
constexpr int kLinesPerPage = 12000;

// One page of a file: the records it shows, in line order.
struct FilePage {
    QString name; // "frmMain.frm.html", "frmMain.frm-2.html" for a second part
    int part = 1;
    int parts = 1;
    model::RoutineList routines;
};

struct SiteFile {
    model::FilePtr file;
    std::vector<FilePage> pages;
};

class SiteMap {
public:
    // files: the full paths of the files the site shows (all of the project's when empty);
    // routineKeys: the dependency keys of the procedures it shows (every one when empty).
    SiteMap(const model::Project& project, const analysis::DependencyIndex& index, const QStringList& files = {},
        const QStringList& routineKeys = {});

    const std::vector<SiteFile>& files() const { return files_; }
    // The page and anchor of the routine a dependency key names ("page.html#r-Name"), or empty
    // when the site does not show it.
    QString hrefOfKey(const QString& key) const;
    // The same for a property assigned to: its Let (or, for "Set", its Set) procedure, which shares
    // the key with its Get; the key's own routine when it has none.
    QString hrefOfAssignment(const QString& key, bool set) const;
    // The page and anchor of a record the site shows; empty when it shows none.
    QString hrefOf(const model::Routine& routine) const;
    // The first page of a file the site shows; empty for none.
    QString pageOfFile(const QString& filePath) const;
    // The first page of the file a module is; empty when the site does not show it.
    QString pageOfModule(const QString& moduleName) const { return firstPageByModule_.value(moduleName); }

    // The anchor of a record on its page: "r-Name" for a procedure ("r-Name-get" and so on for a
    // property's procedures), "layout", "image" and "declarations" for the parts of a file.
    static QString anchorOf(const model::Routine& routine);
    // The name a reader knows a routine by: an event handler without the program's prefix.
    static QString displayName(const model::Routine& routine);

private:
    const analysis::DependencyIndex& index_;
    std::vector<SiteFile> files_;
    QHash<const model::Routine*, QString> pageByRoutine_;
    QHash<QString, QString> firstPageByFile_;
    QHash<QString, QString> firstPageByModule_;
    QHash<QString, QString> assignedProperties_; // "KEY|LET" and "KEY|SET" -> page and anchor
};

} // namespace quillon::html
