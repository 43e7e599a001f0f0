#pragma once

#include <QByteArrayView>

// Writes every byte to the descriptor fd, taking up what an interrupted (EINTR) or short write
// left. Returns 0 when all were written, otherwise the error number of the write that failed
// (ENOSPC when the system took nothing and gave no reason); *written, when given, is how many
// bytes went out before. Which signals a failed write raises (SIGPIPE, SIGXFSZ) is the program's
// choice, made in its main.
int WriteAll(int fd, QByteArrayView bytes, qsizetype* written = nullptr);
