#include "recovery/DiskSync.h"

#include <QFile>

#include <chrono>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#else
#include <io.h>
#include <windows.h>
#endif

namespace {

void syncDescriptor(int fd) {
#if defined(Q_OS_LINUX)
    ::fdatasync(fd);
#elif defined(Q_OS_UNIX)
    ::fsync(fd);
#else
    FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(fd)));
#endif
}

void syncFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

} // namespace

DiskSync::~DiskSync() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void DiskSync::Watch(int fd, const QString& folder) {
    std::lock_guard lock(m_mutex);
    m_fd = fd;
    m_folder = folder;
    m_folderPending = fd >= 0;
    m_dirty.store(false, std::memory_order_relaxed);
    if (fd >= 0 && !m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

void DiskSync::run() {
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, std::chrono::seconds(1), [this] { return m_stop; })) {
        if (m_fd >= 0 && m_dirty.exchange(false, std::memory_order_relaxed))
            syncDescriptor(m_fd);
        if (m_folderPending) {
            syncFolder(m_folder);
            m_folderPending = false;
        }
    }
}
