#pragma once
#include "config/SuppressibleMessages.h"

#include <QString>
#include <QStringList>

namespace quillon::print {

// Output names: the suggested name, the names of parts, and files reserved under a new name.

// The name without a final ".pdf" in any letter case; other names are kept whole.
QString withoutPdfExtension(const QString& name);
// base + "_QLNTemp" + n + ".pdf", base being the user's name without ".pdf".
QString temporaryPartName(const QString& userOutputName, int partNumber);
// base + "_QLNMerged.pdf".
QString mergedOutputName(const QString& userOutputName);

// The names the user is offered for the files of a run outside split mode: the suggested
// output name, then for a routine too large for one file base + "_Part" + n + ".pdf", the
// base being the suggested name without ".pdf" (never an earlier part's name).
class SuggestedNames {
public:
    explicit SuggestedNames(QString suggestedOutputName);
    // oversizePartNumber 0: no routine is being split.
    QString forOversizePart(int oversizePartNumber);
    const QString& current() const { return current_; }

private:
    QString suggested_;
    QString current_;
};

// "Suggested File Name": the name offered for the output file; pdfPrinter adds how the
// temporary parts work. onClipboard: the caller has put the name on a clipboard.
config::Warning suggestedFileNameNotice(const QString& name, bool pdfPrinter, bool onClipboard);

// Creates the file empty and exclusively, so that no other run can take the name: the wanted
// name when it is free, else a unique one that keeps its stem and extension. Empty with the
// reason in *error when the folder cannot take it.
QString reserveUniqueFile(const QString& wanted, QString* error = nullptr);

// The files of a split-mode run, in page order: base + "_QLNTemp0.pdf" (where the run begins),
// then each temporary part. They are removed if the program is interrupted, and when the list
// ends without Release() (a run that failed or was cancelled).
class TemporaryPartList {
public:
    TemporaryPartList() = default;
    ~TemporaryPartList();
    TemporaryPartList(const TemporaryPartList&) = delete;
    TemporaryPartList& operator=(const TemporaryPartList&) = delete;

    // Starts the list for the user's file: reserves the first part and returns its name; empty
    // with the reason in *error when it cannot be created.
    QString begin(const QString& userOutputName, QString* error = nullptr);
    // Names, reserves and appends the next part; empty with the reason in *error when it
    // cannot be created (the list is then unchanged).
    QString startNext(QString* error = nullptr);
    // A run that needed one part only: it becomes the user's file in one rename.
    bool publishSinglePart(QString* error = nullptr);
    // The parts are combined and gone, or they stay as the output: they are no longer this
    // list's to remove.
    void release();
    // Removes every part (a run that did not complete).
    void discard();

    const QStringList& files() const { return files_; }
    int partNumber() const { return partNumber_; }
    const QString& userOutputName() const { return userOutputName_; }
    bool hasTemporaryParts() const { return files_.size() > 1; }

    static constexpr int kMaxParts = 32767;

private:
    void add(const QString& part);

    QString userOutputName_;
    QStringList files_;
    int partNumber_ = 0;
};

// The status text when the output continues in a temporary part.
QString temporaryPartStatus(const QString& partName);

} // namespace quillon::print
