#include "link/PseudoTerminal.h"

#include "state/WriteAll.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::~PseudoTerminal() {
    Close();
}

bool PseudoTerminal::Open(QString* error) {
    auto fail = [this, error](const char* step) {
        const int code = errno;
        Close();
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(step),
                                                  QString::fromLocal8Bit(std::strerror(code)));
        return false;
    };
    Close();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        return fail("posix_openpt");
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail("unlockpt");
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return fail("ptsname");
    m_path = QFile::decodeName(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slave < 0)
        return fail("open");
    termios settings{};
    if (::tcgetattr(m_slave, &settings) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    if (::tcsetattr(m_slave, TCSANOW, &settings) != 0)
        return fail("tcsetattr");
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    return true;
}

void PseudoTerminal::Close() {
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

qsizetype PseudoTerminal::Write(const QByteArray& bytes) {
    if (m_master < 0)
        return 0;
    qsizetype done = 0;
    WriteAll(m_master, bytes, &done);
    return done;
}

bool PseudoTerminal::WaitUntilPending(qsizetype bytes, int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        int pending = 0;
        if (m_slave >= 0 && ::ioctl(m_slave, FIONREAD, &pending) == 0 && pending >= bytes)
            return true;
        if (clock.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(1);
    }
}
