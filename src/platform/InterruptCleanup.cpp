#include "platform/InterruptCleanup.h"

#include <QFile>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace quillon::platform::InterruptCleanup {

namespace {

// Slots in chunks that are allocated once and never freed, so the handler can walk them at any
// moment without locks. A run of many thousand output parts still fits.
constexpr int kChunkSlots = 1024;
constexpr int kChunks = 64;
struct Chunk {
    std::atomic<char*> slots[kChunkSlots] = {};
};
std::atomic<Chunk*> chunks[kChunks] = {};
constexpr int kGroups = 16;
std::atomic<pid_t> groups[kGroups] = {};

// Track and Forget are called from the program's threads; the mutex only orders them among
// themselves (the handler never takes it).
std::mutex& lock()
{
    static std::mutex lock;
    return lock;
}

Chunk* chunkAt(int index, bool create)
{
    Chunk* chunk = chunks[index].load();
    if (chunk || !create)
        return chunk;
    chunk = new Chunk;
    chunks[index].store(chunk);
    return chunk;
}

template <class Visit>
void forEachSlot(bool create, Visit visit)
{
    for (int c = 0; c < kChunks; ++c) {
        Chunk* chunk = chunkAt(c, create);
        if (!chunk)
            return;
        for (std::atomic<char*>& slot : chunk->slots) {
            if (visit(slot))
                return;
        }
    }
}

void onSignal(int signal)
{
    forEachSlot(false, [](std::atomic<char*>& slot) {
        // Taken, not just read: an entry being forgotten at this moment is then left alone.
        if (char* path = slot.exchange(nullptr))
            ::unlink(path);
        return false;
    });
    for (std::atomic<pid_t>& group : groups) {
        const pid_t pid = group.exchange(0);
        if (pid > 1)
            ::kill(-pid, SIGTERM);
    }
    ::_exit(128 + signal);
}

} // namespace

void track(const QString& path)
{
    if (path.isEmpty())
        return;
    const QByteArray encoded = QFile::encodeName(path);
    std::lock_guard<std::mutex> guard(lock());
    char* copy = ::strdup(encoded.constData());
    bool stored = false;
    forEachSlot(true, [&](std::atomic<char*>& slot) {
        char* expected = nullptr;
        stored = slot.compare_exchange_strong(expected, copy);
        return stored;
    });
    if (!stored)
        std::free(copy); // every slot in use: the file is simply not cleaned up
}

void forget(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    std::lock_guard<std::mutex> guard(lock());
    forEachSlot(false, [&](std::atomic<char*>& slot) {
        char* current = slot.load();
        if (!current || std::strcmp(current, encoded.constData()) != 0)
            return false;
        if (slot.compare_exchange_strong(current, nullptr))
            std::free(current);
        return true;
    });
}

bool isTracked(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    std::lock_guard<std::mutex> guard(lock());
    bool found = false;
    forEachSlot(false, [&](std::atomic<char*>& slot) {
        const char* current = slot.load();
        found = current && std::strcmp(current, encoded.constData()) == 0;
        return found;
    });
    return found;
}

void trackProcessGroup(qint64 pid)
{
    for (std::atomic<pid_t>& group : groups) {
        pid_t expected = 0;
        if (group.compare_exchange_strong(expected, pid_t(pid)))
            return;
    }
}

void forgetProcessGroup(qint64 pid)
{
    for (std::atomic<pid_t>& group : groups) {
        pid_t expected = pid_t(pid);
        if (group.compare_exchange_strong(expected, 0))
            return;
    }
}

void installHandlers()
{
    struct sigaction action { };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Both signals are held while the handler runs, so a second one cannot cut the cleanup short.
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

} // namespace quillon::platform::InterruptCleanup
