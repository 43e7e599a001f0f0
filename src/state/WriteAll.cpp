#include "state/WriteAll.h"

#include <cerrno>
#include <unistd.h>

int WriteAll(int fd, QByteArrayView bytes, qsizetype* written) {
    qsizetype done = 0;
    int error = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, std::size_t(bytes.size() - done));
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
