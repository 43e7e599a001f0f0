// vantello-meter-sim: a simulated meter on a pseudo-terminal, for trying the program without the
// instrument. Prints the line's device path; the program connects to that path (or to the link
// given with --link).
//
//   vantello-meter-sim                      two simulated readings a second
//   vantello-meter-sim --rate 5 --link /tmp/meter
//   vantello-meter-sim --rate 250 --count 5000 --exit-when-done    for benchmarks
//   vantello-meter-sim --hex "00 01 01 C2 00 00 00 E1 01 01 01 59 03"   one given frame

#include "link/MeterFeed.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

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
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the simulated readings."),
                                  QStringLiteral("number"));
    const QCommandLineOption exitWhenDone(
        QStringLiteral("exit-when-done"),
        QStringLiteral("Exit once the frames are sent; the line then closes like an unplugged "
                       "cable. Without it the line stays open until interrupted."));
    const QCommandLineOption verbose({QStringLiteral("v"), QStringLiteral("verbose")},
                                     QStringLiteral("Print every frame sent, in hex."));
    parser.addOptions(
        {version, rate, link, hex, repeat, count, delay, seed, exitWhenDone, verbose});
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
    else
        QTimer::singleShot(static_cast<int>(delaySeconds * 1000), &feed, &MeterFeed::Start);

    const int status = QCoreApplication::exec();
    if (!linkPath.isEmpty())
        QFile::remove(linkPath);
    return status;
}
