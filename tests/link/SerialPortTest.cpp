#include "link/DeviceSerialPort.h"
#include "link/PseudoTerminal.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <termios.h>

namespace {

QByteArray bytes(int count, char first = 'a') {
    QByteArray b;
    for (int i = 0; i < count; ++i)
        b.append(static_cast<char>(first + i % 26));
    return b;
}

// What each event found when it was delivered.
struct Seen {
    int kind = 0;
    int waiting = 0;
    QByteArray input;
};

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

} // namespace

class SerialPortTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensWithTheFixedLine();
    void frameInPiecesRaisesOneEvent();
    void wrongSizesNeverLookLikeOneFrame();
    void quietGapsDropFragmentsOnly();
    void fragmentCutShortBySilenceGoesByItself();
    void handlerReadingInsideTheEventGetsEveryFrame();
    void countIncludesBytesNotYetDelivered();
    void discardDropsWhatTheSystemHolds();
    void noEventsWithoutThreshold();
    void fullBufferKeepsTheFirstBytesAndSaysSo();
    void unplugClosesWithoutBusyLoop();
    void openFailures();

private:
    void record(bool readInput);
    void takeFrames();
    PseudoTerminal* m_line = nullptr;
    DeviceSerialPort* m_port = nullptr;
    QList<Seen> m_seen;
    QList<QByteArray> m_frames;
};

void SerialPortTest::init() {
    m_line = new PseudoTerminal;
    QString error;
    QVERIFY2(m_line->Open(&error), qPrintable(error));
    m_port = new DeviceSerialPort;
    m_port->SetCommPort(m_line->Path());
    m_seen.clear();
    m_frames.clear();
}

void SerialPortTest::cleanup() {
    delete m_port;
    delete m_line;
    m_port = nullptr;
    m_line = nullptr;
}

void SerialPortTest::record(bool readInput) {
    connect(m_port, &SerialPort::OnComm, this, [this, readInput] {
        Seen s;
        s.kind = m_port->CommEvent();
        s.waiting = m_port->InBufferCount();
        if (readInput && s.kind == kCommEventReceive)
            s.input = m_port->Input();
        m_seen.append(s);
    });
}

void SerialPortTest::opensWithTheFixedLine() {
    QString error;
    QVERIFY2(m_port->Open(&error), qPrintable(error));
    QVERIFY(m_port->PortOpen());
    QCOMPARE(m_port->RThreshold(), 0);
    termios t{};
    QCOMPARE(tcgetattr(m_line->NearSide(), &t), 0);
    QCOMPARE(cfgetispeed(&t), speed_t(B9600));
    QCOMPARE(t.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), tcflag_t(0)); // binary, no XON/XOFF
    QCOMPARE(t.c_lflag & (ICANON | ECHO), tcflag_t(0));

    // A second opening of the same device is refused while the first holds it.
    DeviceSerialPort other;
    other.SetCommPort(m_line->Path());
    QVERIFY(!other.Open(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!m_port->Open());

    m_port->Close();
    QVERIFY(!m_port->PortOpen());
    QVERIFY(other.Open());
}

void SerialPortTest::frameInPiecesRaisesOneEvent() {
    record(true);
    m_port->SetQuietGap(0); // the pauses below are not gaps between frames
    QVERIFY(m_port->Open());
    m_port->SetRThreshold(13);
    const QByteArray frame = bytes(13);

    m_line->Write(frame.left(8));
    QTRY_COMPARE(m_port->InBufferCount(), 8);
    QTest::qWait(100);
    QVERIFY(m_seen.isEmpty());

    m_line->Write(frame.mid(8));
    QTRY_COMPARE(m_seen.size(), 1);
    QCOMPARE(m_seen[0].kind, kCommEventReceive);
    QCOMPARE(m_seen[0].waiting, 13);
    QCOMPARE(m_seen[0].input, frame);
    QTest::qWait(100);
    QCOMPARE(m_seen.size(), 1);
    QCOMPARE(m_port->InBufferCount(), 0);
}

void SerialPortTest::wrongSizesNeverLookLikeOneFrame() {
    record(false);
    m_port->SetQuietGap(0); // the pauses below are not gaps between frames
    QVERIFY(m_port->Open());
    m_port->SetRThreshold(13);

    // 12 bytes: no event at all.
    m_line->Write(bytes(12));
    QTRY_COMPARE(m_port->InBufferCount(), 12);
    QTest::qWait(100);
    QVERIFY(m_seen.isEmpty());
    m_port->DiscardInput();

    // 14 bytes: one event, and it sees all 14.
    m_line->Write(bytes(14));
    QTRY_COMPARE(m_seen.size(), 1);
    QCOMPARE(m_seen[0].waiting, 14);

    // A handler that leaves the bytes waiting is not called again for them...
    QTest::qWait(100);
    QCOMPARE(m_seen.size(), 1);
    // ...only once more bytes arrive.
    m_line->Write(bytes(1));
    QTRY_COMPARE(m_seen.size(), 2);
    QCOMPARE(m_seen[1].waiting, 15);
}

void SerialPortTest::takeFrames() {
    // A handler that takes whole frames, as the reception handler does.
    connect(m_port, &SerialPort::OnComm, this, [this] {
        while (m_port->InBufferCount() >= 13)
            m_frames << m_port->TakeInput(13);
    });
    QVERIFY(m_port->Open());
    m_port->SetRThreshold(13);
}

void SerialPortTest::quietGapsDropFragmentsOnly() {
    m_port->SetQuietGap(0); // the test says where the line pauses: QuietGapEnded
    takeFrames();
    const auto waiting = [this](int n) {
        return QTest::qWaitFor([&] { return m_port->InBufferCount() == n; });
    };
    // A stray byte, then frames trickled two bytes at a time with the meter's gap between them.
    m_line->Write("\xFF");
    QVERIFY(waiting(1));
    m_port->QuietGapEnded();
    for (int f = 0; f < 3; ++f) {
        const QByteArray frame = bytes(13, char('a' + f));
        for (int at = 0; at < 12; at += 2) {
            m_line->Write(frame.mid(at, 2));
            QVERIFY(waiting(at + 2));
        }
        m_line->Write(frame.mid(12));
        QTRY_COMPARE(m_frames.size(), f + 1);
        QCOMPARE(m_frames.last(), frame);
        m_port->QuietGapEnded();
    }
    // Frames back to back arrive together: both are taken; the byte left over is a fragment.
    m_line->Write(bytes(13, 'm') + bytes(13, 'n') + "\x01");
    QTRY_COMPARE(m_frames.size(), 5);
    QCOMPARE(m_frames[4], bytes(13, 'n'));
    QCOMPARE(m_port->InBufferCount(), 1);
    m_port->QuietGapEnded();
    QCOMPARE(m_port->InBufferCount(), 0);

    // The gap ends while the system holds bytes that came meanwhile (the event loop was busy):
    // there was no gap, so nothing goes and the frame completes.
    m_line->Write(bytes(5, 'p'));
    QVERIFY(waiting(5));
    m_line->Write(bytes(13, 'p').mid(5));
    QVERIFY(m_line->WaitUntilPending(8)); // no event loop: the port has not seen them
    m_port->QuietGapEnded();
    QTRY_COMPARE(m_frames.size(), 6);
    QCOMPARE(m_frames.last(), bytes(13, 'p'));

    // Not armed (syncing, paused): no frame to complete, so nothing waiting is a fragment.
    m_port->SetRThreshold(0);
    m_line->Write(bytes(4));
    QVERIFY(waiting(4));
    m_port->QuietGapEnded();
    QCOMPARE(m_port->InBufferCount(), 4);
}

void SerialPortTest::fragmentCutShortBySilenceGoesByItself() {
    // The port's own quiet gap: 7 bytes of a frame cut short go; the whole frames after them stay.
    takeFrames();
    m_line->Write(bytes(7, 'x'));
    QVERIFY(m_line->WaitUntilPending(7)); // the port counts them below, then lets them go
    QTRY_COMPARE(m_port->InBufferCount(), 0);
    for (int f = 0; f < 3; ++f) {
        m_line->Write(bytes(13, char('a' + f)));
        QTRY_COMPARE(m_frames.size(), f + 1);
        QCOMPARE(m_frames.last(), bytes(13, char('a' + f)));
    }
}

void SerialPortTest::handlerReadingInsideTheEventGetsEveryFrame() {
    record(true);
    QVERIFY(m_port->Open());
    m_port->SetRThreshold(13);
    // Frames with a gap between them, as the meter sends them.
    for (int i = 0; i < 5; ++i) {
        m_line->Write(bytes(13, static_cast<char>('a' + i)));
        QTRY_COMPARE(m_seen.size(), i + 1);
    }
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(m_seen[i].waiting, 13);
        QCOMPARE(m_seen[i].input, bytes(13, static_cast<char>('a' + i)));
    }
}

void SerialPortTest::countIncludesBytesNotYetDelivered() {
    QVERIFY(m_port->Open());
    m_line->Write(bytes(13));
    // No event loop runs here, so nothing has been delivered through it: the count must still
    // see the bytes once the system has them.
    QElapsedTimer clock;
    clock.start();
    int waiting = 0;
    while ((waiting = m_port->InBufferCount()) < 13 && clock.elapsed() < 2000)
        QThread::msleep(2);
    QCOMPARE(waiting, 13);
    QCOMPARE(m_port->Input(), bytes(13));
    QCOMPARE(m_port->InBufferCount(), 0);
}

void SerialPortTest::discardDropsWhatTheSystemHolds() {
    QVERIFY(m_port->Open());
    m_line->Write(bytes(5));
    QThread::msleep(50); // in the system, not yet taken by the port
    m_port->DiscardInput();
    QTest::qWait(50);
    QCOMPARE(m_port->InBufferCount(), 0);

    m_line->Write(bytes(7));
    QTRY_COMPARE(m_port->InBufferCount(), 7);
    m_port->DiscardInput();
    QCOMPARE(m_port->InBufferCount(), 0);
}

void SerialPortTest::noEventsWithoutThreshold() {
    record(false);
    QVERIFY(m_port->Open());
    m_line->Write(bytes(30));
    QTRY_COMPARE(m_port->InBufferCount(), 30);
    QTest::qWait(50);
    QVERIFY(m_seen.isEmpty());
    // Arming with enough bytes already waiting raises the event.
    m_port->SetRThreshold(13);
    QTRY_COMPARE(m_seen.size(), 1);
    QCOMPARE(m_seen[0].waiting, 30);
}

void SerialPortTest::fullBufferKeepsTheFirstBytesAndSaysSo() {
    record(false);
    QVERIFY(m_port->Open());
    QByteArray flood = bytes(kInputBufferSize + 100);
    m_line->Write(flood);
    QTRY_COMPARE(m_seen.size(), 1);
    QCOMPARE(m_seen[0].kind, kCommEventOverflow);
    QCOMPARE(m_port->InBufferCount(), kInputBufferSize);
    QCOMPARE(m_port->Input(), flood.left(kInputBufferSize));
}

void SerialPortTest::unplugClosesWithoutBusyLoop() {
    record(false);
    QVERIFY(m_port->Open());
    m_port->SetRThreshold(13);
    m_line->Close();
    QTRY_COMPARE(m_seen.size(), 1);
    QCOMPARE(m_seen[0].kind, kCommEventDeviceLost);
    QVERIFY(!m_port->PortOpen());
    QCOMPARE(m_port->InBufferCount(), 0);

    // Idle afterwards: a port spinning on a dead device would burn a whole core here.
    const double cpuBefore = processSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(300);
    const double cpu = processSeconds() - cpuBefore;
    QVERIFY2(cpu < 0.5 * static_cast<double>(wall.elapsed()) / 1000.0,
             qPrintable(QStringLiteral("%1 s of CPU while idle").arg(cpu)));
    QCOMPARE(m_seen.size(), 1);
}

void SerialPortTest::openFailures() {
    QTemporaryDir dir;
    QString error;
    m_port->SetCommPort(dir.filePath(QStringLiteral("missing")));
    QVERIFY(!m_port->Open(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!m_port->PortOpen());

    QFile plain(dir.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    m_port->SetCommPort(plain.fileName());
    QVERIFY(!m_port->Open(&error));
    QVERIFY(!m_port->PortOpen());
}

QTEST_GUILESS_MAIN(SerialPortTest)
#include "SerialPortTest.moc"
