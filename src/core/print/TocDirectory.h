#pragma once
#include "print/TocRecord.h"

#include "model/KeyedMap.h"

#include <QStringList>

namespace quillon::model {
class Project;
}

namespace quillon::print {

// The loaded project seen from the list's keys: which routine a key names, which files hold
// a procedure, and where each file lies. Built once per indexing, stale-key check or table
// of contents, so that a large list costs one pass over the project.
class TocDirectory {
public:
    explicit TocDirectory(const model::Project& project);

    // The routine a key names by file and name. Where a property's Get, Let and Set share
    // the name, the key's kind word picks the one meant. Null for dependency reports: their
    // counts come from the report, not from the routine.
    model::RoutinePtr find(const TocKey& key) const;
    // Whether the key's file and procedure text still name a routine of the project. A
    // dependency report names one while the routine it reports on exists; a property group
    // while its file still has property procedures.
    bool names(const TocKey& key) const;
    // The files, other than `except`, with a routine of this procedure text (scope, kind, name).
    QStringList filesWithProcedure(const QString& procedure, const QString& except) const;
    // The folder of a file of the project; the project's own folder for a file it does not list.
    QString folderOf(const QString& fileName) const;
    // The key of every routine of the project, in project order.
    const QStringList& routineKeys() const { return routineKeys_; }

private:
    struct Named {
        model::RoutinePtr routine;
        QString kindWord;
    };
    model::KeyedMap<std::vector<Named>> byFileAndName_;
    model::KeyedMap<bool> keys_;
    QStringList routineKeys_;
    model::KeyedMap<QStringList> filesByProcedure_;
    model::KeyedMap<bool> filesWithProperties_;
    model::KeyedMap<QString> folders_;
    QString projectFolder_;
};

} // namespace quillon::print
