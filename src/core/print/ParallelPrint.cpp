#include "print/ParallelPrint.h"

#include "model/DiagLog.h"
#include "model/Routine.h"
#include "platform/InterruptCleanup.h"
#include "print/OutputNames.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <thread>

namespace quillon::print {

namespace {

// What a row costs to print, in source lines: a drawing takes about a page's worth.
qint64 printWeight(const ListRow& row)
{
    const model::Routine& routine = *row.routine;
    if (routine.kind == model::RoutineKind::Image)
        return 60;
    return std::max<qint64>(1, qint64(routine.endLine) - routine.startLine + 1);
}

} // namespace

void RecordedHistory::recordPrint(
    const QString& key, const QDateTime& when, int pages, bool duplex, const LineStatistics* aggregate)
{
    Entry entry;
    entry.key = key;
    entry.when = when;
    entry.pages = pages;
    entry.duplex = duplex;
    if (aggregate)
        entry.aggregate = *aggregate;
    entries_.push_back(std::move(entry));
}

void RecordedHistory::recordDependencyCounts(const QString& key, int total, int blank, int other)
{
    Entry entry;
    entry.key = key;
    entry.dependency = true;
    entry.total = total;
    entry.blank = blank;
    entry.other = other;
    entries_.push_back(std::move(entry));
}

void RecordedHistory::replayInto(IPrintHistory& history) const
{
    for (const Entry& entry : entries_) {
        if (entry.dependency)
            history.recordDependencyCounts(entry.key, entry.total, entry.blank, entry.other);
        else
            history.recordPrint(
                entry.key, entry.when, entry.pages, entry.duplex, entry.aggregate ? &*entry.aggregate : nullptr);
    }
}

std::vector<std::vector<ListRow>> sliceQueue(const std::vector<ListRow>& queue, int count)
{
    std::vector<ListRow> selected;
    qint64 total = 0;
    for (const ListRow& row : queue) {
        if (row.selected && row.routine) {
            selected.push_back(row);
            total += printWeight(row);
        }
    }
    std::vector<std::vector<ListRow>> slices;
    const qint64 wanted = std::clamp<qint64>(count, 1, qint64(selected.size()));
    qint64 done = 0;
    for (const ListRow& row : selected) {
        // A row opens the next slice once the rows before it have filled this one's share. A
        // form image never opens one: a document that starts with a drawing may turn its pages
        // for it, which the same drawing in the middle of a document cannot.
        const qint64 share = total * qint64(slices.size()) / std::max<qint64>(wanted, 1);
        const bool image = row.routine->kind == model::RoutineKind::Image;
        if (slices.empty() || (qint64(slices.size()) < wanted && done >= share && !image))
            slices.emplace_back();
        slices.back().push_back(row);
        done += printWeight(row);
    }
    return slices;
}

bool ParallelPrint::reserveParts(std::vector<std::unique_ptr<PrintSlice>>& slices, const QString& outputPath)
{
    // Reserved as new files, so that no file of the user's is ever taken for a part.
    const QString base = withoutPdfExtension(QFileInfo(outputPath).absoluteFilePath()) + QStringLiteral("_QLNJob");
    for (size_t i = 0; i < slices.size(); ++i) {
        QString why;
        slices[i]->partPath = reserveUniqueFile(base + QString::number(i + 1) + QStringLiteral(".pdf"), &why);
        if (slices[i]->partPath.isEmpty()) {
            error_ = QStringLiteral("no part file can be made beside ") + outputPath + QStringLiteral(": ") + why;
            return false;
        }
        platform::InterruptCleanup::track(slices[i]->partPath);
    }
    return true;
}

void ParallelPrint::tellWhatWasAsked(const std::vector<std::unique_ptr<PrintSlice>>& slices)
{
    for (const auto& slice : slices) {
        if (plainMessages)
            slice->plainMessages.replayInto(*plainMessages);
        if (warnings)
            slice->warnings.replayInto(*warnings);
    }
    if (!history)
        return;
    history->beginRun();
    for (const auto& slice : slices)
        slice->history->replayInto(*history);
    history->endRun();
}

RunResult ParallelPrint::run(const std::vector<ListRow>& queue, int jobs, const QString& outputPath)
{
    error_.clear();
    RunResult result;
    std::vector<std::unique_ptr<PrintSlice>> slices;
    int offset = 0;
    for (std::vector<ListRow>& rows : sliceQueue(queue, jobs)) {
        auto slice = std::make_unique<PrintSlice>();
        slice->procedureOffset = offset;
        offset += int(rows.size());
        slice->rows = std::move(rows);
        slices.push_back(std::move(slice));
    }
    for (auto& slice : slices)
        slice->procedureTotal = offset;
    auto removeParts = [&slices] {
        for (const auto& slice : slices) {
            if (!slice->partPath.isEmpty()) {
                QFile::remove(slice->partPath);
                platform::InterruptCleanup::forget(slice->partPath);
            }
        }
    };
    if (slices.empty() || !reserveParts(slices, outputPath)) {
        removeParts();
        return result;
    }
    for (auto& slice : slices) {
        if (!prepareSlice(*slice)) {
            error_ = QStringLiteral("the printer could not be set up for a part of the run");
            removeParts();
            return result;
        }
    }
    {
        std::vector<std::thread> threads;
        for (size_t i = 1; i < slices.size(); ++i)
            threads.emplace_back([this, slice = slices[i].get()] { printSlice(*slice); });
        printSlice(*slices.front());
        for (std::thread& thread : threads)
            thread.join();
    }
    tellWhatWasAsked(slices);
    QStringList parts;
    bool ok = true;
    for (const auto& slice : slices) {
        parts << slice->partPath;
        result.routinesPrinted += slice->result.routinesPrinted;
        result.marks.append(slice->result.marks, result.pages);
        result.pages += slice->result.pages;
        if (!slice->result.ok) {
            ok = false;
            if (result.status.isEmpty())
                result.status = slice->result.status;
        }
    }
    if (ok && !join(parts, outputPath, &error_))
        ok = false;
    removeParts();
    if (!ok)
        return result;
    result.ok = true;
    result.outputPath = outputPath;
    result.files.push_back({outputPath, result.pages});
    navigatePdf(navigator, outputPath, result.marks, documentInfo, log);
    result.report = fileTargetReport(result.routinesPrinted, deviceName, QString(), false);
    return result;
}

} // namespace quillon::print
