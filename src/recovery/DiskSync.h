#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// Forces one file to disk from a thread of its own, about once a second and only after bytes were
// written to it, so that whoever writes never waits for the disk.
class DiskSync {
public:
    DiskSync() = default;
    ~DiskSync();
    DiskSync(const DiskSync&) = delete;
    DiskSync& operator=(const DiskSync&) = delete;

    // The file to keep on disk (its descriptor and its folder, whose entry for the file is forced
    // to disk once too), or none (fd -1). Waits for a sync in progress, so the old descriptor may
    // be closed as soon as this returns.
    void Watch(int fd, const QString& folder);
    // Bytes were written to the watched file. Never blocks.
    void Written() noexcept { m_dirty.store(true, std::memory_order_relaxed); }

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
    int m_fd = -1;
    QString m_folder;
    bool m_folderPending = false;
    bool m_stop = false;
    std::atomic<bool> m_dirty{false};
};
