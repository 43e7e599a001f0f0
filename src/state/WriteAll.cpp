#include "state/WriteAll.h"

#include <cerrno>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// write(2); the C runtime's _write on Windows, whose descriptors are the runtime's own.
qint64 writeSome(int fd, const char* data, qsizetype size) {
#ifdef Q_OS_WIN
    return ::_write(fd, data, unsigned(qMin<qsizetype>(size, 1 << 30)));
#else
    return ::write(fd, data, std::size_t(size));
#endif
}

} // namespace

int WriteAll(int fd, QByteArrayView bytes, qsizetype* written) {
    qsizetype done = 0;
    int error = 0;
    while (done < bytes.size()) {
        const qint64 n = writeSome(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        error = n < 0 ? errno : ENOSPC;
        break;
    }
    if (written)
        *written = done;
    return error;
}
