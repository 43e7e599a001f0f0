// vantello-meter-sim: a simulated meter on a pseudo-terminal, for trying the program without the
// instrument. Prints the line's device path; the program connects to that path (or to the link
// given with --link).
//
//   vantello-meter-sim                      two simulated readings a second
//   vantello-meter-sim --rate 5 --link /tmp/meter
//   vantello-meter-sim --rate 250 --count 5000 --exit-when-done    for benchmarks
//   vantello-meter-sim --hex "00 01 01 C2 00 00 00 E1 01 01 01 59 03"   one given frame
//   vantello-meter-sim --tcp 4001           also behind a network serial bridge on TCP port 4001

#include "link/MeterFeed.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>
#include <memory>
#include <utility>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

int fail(const QString& message) {
    std::fprintf(stderr, "vantello-meter-sim: %s\n", qPrintable(message));
    return 2;
}

QString hexText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// A network serial bridge in front of the line, as ser2net keeps one in front of a real port:
// what arrives on the line's near side goes out raw to every connected client.
class LineBridge : public QObject {
public:
    bool Listen(const QString& where, int nearSide, QString* error) {
        QHostAddress host = QHostAddress::Any;
        QString portText = where;
        const qsizetype colon = where.lastIndexOf(u':');
        if (colon >= 0) {
            portText = where.mid(colon + 1);
            QString name = where.left(colon);
            if (name.startsWith(u'[') && name.endsWith(u']'))
                name = name.mid(1, name.size() - 2);
            if (!host.setAddress(name)) {
                *error = QStringLiteral("--tcp wants [ADDRESS:]PORT with a numeric address");
                return false;
            }
        }
        bool ok = false;
        const int port = portText.toInt(&ok);
        if (!ok || port < 1 || port > 65535) {
            *error = QStringLiteral("--tcp wants a port number from 1 to 65535");
            return false;
        }
        if (!m_server.listen(host, quint16(port))) {
            *error = m_server.errorString();
            return false;
        }
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* client = m_server.nextPendingConnection()) {
                connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
                connect(client, &QTcpSocket::readyRead, client, [client] { client->readAll(); });
                m_clients.append(client);
                connect(client, &QObject::destroyed, this,
                        [this, client] { m_clients.removeAll(client); });
                if (firstClient)
                    std::exchange(firstClient, nullptr)();
            }
        });
        m_line = nearSide;
        m_notifier = std::make_unique<QSocketNotifier>(nearSide, QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { pass(); });
        return true;
    }

    // Called once, when the first client has connected.
    std::function<void()> firstClient;

private:
    void pass() {
        char buffer[4096];
        const ssize_t n = ::read(m_line, buffer, sizeof buffer);
        if (n <= 0)
            return;
        for (QTcpSocket* client : std::as_const(m_clients))
            if (client->state() == QAbstractSocket::ConnectedState)
                client->write(buffer, n);
    }

    // The clients' list outlives the server, whose clients leave the list as they go.
    QList<QTcpSocket*> m_clients;
    QTcpServer m_server;
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_line = -1;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantello-meter-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated thermo-anemometer on a pseudo-terminal. Prints the line's device path, then "
        "sends one 13-byte frame per reading with a gap between frames."));
    parser.addHelpOption();
    // --version only: -v is --verbose here.
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Displays version information."));
    const QCommandLineOption rate({QStringLiteral("r"), QStringLiteral("rate")},
                                  QStringLiteral("Frames per second (default 2)."),
                                  QStringLiteral("frames"), QStringLiteral("2"));
    const QCommandLineOption link({QStringLiteral("l"), QStringLiteral("link")},
                                  QStringLiteral("Also reach the line through this symbolic link."),
                                  QStringLiteral("path"));
    const QCommandLineOption hex(
        QStringLiteral("hex"),
        QStringLiteral("Send these bytes instead of simulated readings, 13 to a frame "
                       "(repeat the option to add more)."),
        QStringLiteral("bytes"));
    const QCommandLineOption repeat(QStringLiteral("repeat"),
                                    QStringLiteral("Replay the --hex frames over and over."));
    const QCommandLineOption count({QStringLiteral("n"), QStringLiteral("count")},
                                   QStringLiteral("Stop sending after this many frames."),
                                   QStringLiteral("frames"));
    const QCommandLineOption delay(
        QStringLiteral("delay"),
        QStringLiteral("Seconds to wait before the first frame (time to connect)."),
        QStringLiteral("seconds"), QStringLiteral("0"));
    const QCommandLineOption waitForClient(
        QStringLiteral("wait-for-client"),
        QStringLiteral("With --tcp: the --delay starts once the first client has connected, so "
                       "a program that is slow to start misses no frame."));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the simulated readings."),
                                  QStringLiteral("number"));
    const QCommandLineOption exitWhenDone(
        QStringLiteral("exit-when-done"),
        QStringLiteral("Exit once the frames are sent; the line then closes like an unplugged "
                       "cable. Without it the line stays open until interrupted."));
    const QCommandLineOption verbose({QStringLiteral("v"), QStringLiteral("verbose")},
                                     QStringLiteral("Print every frame sent, in hex."));
    const QCommandLineOption tcp(
        QStringLiteral("tcp"),
        QStringLiteral("Also pass the line's bytes on to TCP clients on this port, as a network "
                       "serial bridge does (connect with --port tcp:HOST:PORT). Listens on every "
                       "address unless one is given. The line itself is then read here."),
        QStringLiteral("[address:]port"));
    parser.addOptions({version, rate, link, hex, repeat, count, delay, waitForClient, seed,
                       exitWhenDone, verbose, tcp});
    parser.process(app);
    if (parser.isSet(version))
        parser.showVersion();

    bool ok = false;
    const double framesPerSecond = parser.value(rate).toDouble(&ok);
    // A real line carries at most 73.8 frames a second (9600 baud); a pseudo-terminal has no such
    // limit, so benchmarks can go faster.
    if (!ok || framesPerSecond <= 0 || framesPerSecond > 1000)
        return fail(QStringLiteral("--rate wants a number of frames per second above 0, at most "
                                   "1000"));
    const double delaySeconds = parser.value(delay).toDouble(&ok);
    if (!ok || delaySeconds < 0)
        return fail(QStringLiteral("--delay wants a number of seconds"));
    if (parser.isSet(waitForClient) && !parser.isSet(tcp))
        return fail(QStringLiteral("--wait-for-client needs --tcp"));
    qint64 limit = -1;
    if (parser.isSet(count)) {
        limit = parser.value(count).toLongLong(&ok);
        if (!ok || limit < 0)
            return fail(QStringLiteral("--count wants a whole number"));
    }

    MeterFeed feed(framesPerSecond);
    if (parser.isSet(hex)) {
        QByteArray bytes;
        for (const QString& text : parser.values(hex)) {
            const std::optional<QByteArray> parsed = ParseHexBytes(text);
            if (!parsed)
                return fail(QStringLiteral("--hex wants pairs of hexadecimal digits: ") + text);
            bytes += *parsed;
        }
        if (bytes.isEmpty())
            return fail(QStringLiteral("--hex gave no bytes"));
        if (bytes.size() % kFrameLength != 0)
            std::fprintf(stderr,
                         "vantello-meter-sim: %lld bytes do not make whole frames; the last "
                         "frame is short\n",
                         static_cast<long long>(bytes.size()));
        feed.Replay(SplitIntoFrames(bytes), parser.isSet(repeat));
    } else if (parser.isSet(seed)) {
        const uint value = parser.value(seed).toUInt(&ok);
        if (!ok)
            return fail(QStringLiteral("--seed wants a whole number"));
        feed.UseSimulator(value);
    }

    QString error;
    if (!feed.Open(&error))
        return fail(QStringLiteral("cannot create a pseudo-terminal: ") + error);

    const QString linkPath = parser.value(link);
    if (!linkPath.isEmpty()) {
        const QFileInfo existing(linkPath);
        if (existing.isSymLink())
            QFile::remove(linkPath);
        else if (existing.exists())
            return fail(linkPath + QStringLiteral(" exists and is not a symbolic link"));
        if (!QFile::link(feed.PortPath(), linkPath))
            return fail(QStringLiteral("cannot create the link ") + linkPath);
    }

    LineBridge bridge;
    if (parser.isSet(tcp) && !bridge.Listen(parser.value(tcp), feed.NearSide(), &error))
        return fail(QStringLiteral("cannot listen for the bridge: ") + error);

    std::printf("%s\n", qPrintable(feed.PortPath()));
    std::fflush(stdout);

    // Ctrl+C and termination end the event loop, so the link is removed on the way out.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return fail(QStringLiteral("cannot set up signal handling"));
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);

    auto done = [&] {
        feed.Stop();
        std::fprintf(stderr, "vantello-meter-sim: %lld frames sent, %lld lost (nobody reading)\n",
                     static_cast<long long>(feed.FramesSent()),
                     static_cast<long long>(feed.FramesDropped()));
        if (parser.isSet(exitWhenDone))
            QTimer::singleShot(100, &app, &QCoreApplication::quit); // let the last frame drain
    };
    QObject::connect(&feed, &MeterFeed::ReplayFinished, &app, done);
    QObject::connect(&feed, &MeterFeed::FrameSent, &app, [&](const QByteArray& frame) {
        if (parser.isSet(verbose))
            std::printf("%s\n", qPrintable(hexText(frame)));
        std::fflush(stdout);
        if (limit >= 0 && feed.FramesSent() + feed.FramesDropped() >= limit)
            done();
    });
    if (limit == 0)
        QTimer::singleShot(0, &app, done);
    else if (parser.isSet(waitForClient))
        bridge.firstClient = [&] {
            QTimer::singleShot(static_cast<int>(delaySeconds * 1000), &feed, &MeterFeed::Start);
        };
    else
        QTimer::singleShot(static_cast<int>(delaySeconds * 1000), &feed, &MeterFeed::Start);

    const int status = QCoreApplication::exec();
    if (!linkPath.isEmpty())
        QFile::remove(linkPath);
    return status;
}
