// vantello-log --serve against hostile clients, while a meter streams 74 frames a second: every
// request is answered or dropped as it deserves, and every frame still reaches the file.

#include "support/LoggerRun.h"
#include "support/TestFiles.h"

#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <sys/socket.h>

namespace {

const QByteArray kToken = "sesame-4711";

enum class How { Whole, HalfClosed, Drip };

// One client and what it may get: the status of the answer, or "dropped" (closed unanswered).
struct Hostile {
    const char* name;
    QByteArray request;
    How how;
    QList<QByteArray> outcomes;
};

QList<Hostile> hostileClients() {
    const QByteArray t = "token=" + kToken;
    return {
        {"huge header",
         "GET /latest.json?" + t + " HTTP/1.1\r\nX-Big: " + QByteArray(256 * 1024, 'a') +
             "\r\n\r\n",
         How::Whole,
         {"431", "dropped"}},
        {"path traversal",
         "GET /../../../etc/passwd?" + t + " HTTP/1.1\r\n\r\n",
         How::Whole,
         {"404"}},
        {"encoded traversal",
         "GET /%2e%2e/%2e%2e/etc/passwd?" + t + " HTTP/1.1\r\n\r\n",
         How::Whole,
         {"404"}},
        {"missing token", "GET /latest.json HTTP/1.1\r\n\r\n", How::Whole, {"401"}},
        {"wrong token", "GET /latest.json?token=sesame-4712 HTTP/1.1\r\n\r\n", How::Whole, {"401"}},
        {"wrong bearer",
         "GET / HTTP/1.1\r\nAuthorization: Bearer sesame\r\n\r\n",
         How::Whole,
         {"401"}},
        {"note without token",
         "POST /note HTTP/1.1\r\nContent-Length: 2\r\n\r\nhi",
         How::Whole,
         {"401"}},
        {"bad since",
         "GET /readings.csv?since=yesterday&" + t + " HTTP/1.1\r\n\r\n",
         How::Whole,
         {"400"}},
        {"other method", "DELETE /latest.json?" + t + " HTTP/1.1\r\n\r\n", How::Whole, {"405"}},
        {"websocket upgrade",
         "GET /events?" + t +
             " HTTP/1.1\r\nConnection: Upgrade\r\nUpgrade: websocket\r\nSec-WebSocket-Version: "
             "13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n",
         How::Whole,
         {"404"}},
        {"half-closed",
         "GET /latest.json?" + t + " HTTP/1.1\r\n\r\n",
         How::HalfClosed,
         {"200", "dropped"}},
        {"slow client", "GET /latest.json?" + t + " HTTP/1.1\r\nX-Slow: ", How::Drip, {"dropped"}},
        {"right token", "GET /latest.json?" + t + " HTTP/1.1\r\n\r\n", How::Whole, {"200"}},
    };
}

// A client that sends its request and notes the status of the first answer or that it was closed.
struct Client {
    QTcpSocket socket;
    QByteArray got;
    QByteArray outcome;
    QTimer drip;

    void Run(const QByteArray& request, How how, quint16 port) {
        QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [this] {
            got += socket.readAll();
            const QRegularExpressionMatch m =
                QRegularExpression("^HTTP/1.1 (\\d\\d\\d)").match(QString::fromLatin1(got));
            if (outcome.isEmpty() && m.hasMatch())
                outcome = m.captured(1).toLatin1();
        });
        QObject::connect(&socket, &QTcpSocket::disconnected, &socket, [this] {
            if (outcome.isEmpty())
                outcome = "dropped";
        });
        QObject::connect(&socket, &QTcpSocket::connected, &socket, [=, this] {
            if (how == How::Drip) {
                socket.write(request);
                QObject::connect(&drip, &QTimer::timeout, &socket, [this] { socket.write("a"); });
                drip.start(300);
                return;
            }
            socket.write(request);
            if (how == How::HalfClosed) {
                socket.flush();
                ::shutdown(int(socket.socketDescriptor()), SHUT_WR);
            }
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
};

QByteArray get(quint16 port, const QByteArray& target) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(5000))
        return "(no connection)";
    s.write("GET " + target + " HTTP/1.1\r\nConnection: close\r\n\r\n");
    QByteArray got;
    while (s.waitForReadyRead(5000))
        got += s.readAll();
    return got + s.readAll();
}

} // namespace

class LiveServerTest : public QObject {
    Q_OBJECT
private slots:
    void hostileClientsWhileReadingsFlow();
};

void LiveServerTest::hostileClientsWhileReadingsFlow() {
    QTemporaryDir dir;
    const QString file = dir.filePath("run.csv");
    LoggerRun run;
    QVERIFY(run.Start(QStringLiteral(VANTELLO_LOG_PROGRAM),
                      {"-o", file, "--serve", "127.0.0.1:0", "--token", kToken, "--alarm",
                       "velocity > 0.5 m/s"}));
    QVERIFY2(run.WaitFor("reading the meter on"), run.err.constData());
    const QRegularExpressionMatch url =
        QRegularExpression("live page on http://127.0.0.1:(\\d+)/\\?token=sesame-4711\n")
            .match(QString::fromUtf8(run.err));
    QVERIFY2(url.hasMatch(), run.err.constData());
    const auto port = quint16(url.captured(1).toUInt());
    run.meter.Start(74);

    // The push stream has a reading within a second.
    {
        QTcpSocket stream;
        stream.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(stream.waitForConnected(5000));
        stream.write("GET /events?token=" + kToken + " HTTP/1.1\r\n\r\n");
        QByteArray got;
        QVERIFY(QTest::qWaitFor(
            [&] { return (got += stream.readAll()).contains("event: reading\ndata: {\"no\":"); },
            1000));
        QVERIFY(got.startsWith("HTTP/1.1 200 OK\r\n"));
        QVERIFY(got.contains("Content-Type: text/event-stream"));
    }

    // A flood of idle connections: those beyond the limit are refused at once; then the hostile
    // ones, each in its own way at the same time.
    std::vector<std::unique_ptr<QTcpSocket>> flood;
    for (int i = 0; i < 100; ++i) {
        flood.push_back(std::make_unique<QTcpSocket>());
        flood.back()->connectToHost(QHostAddress::LocalHost, port);
    }
    QVERIFY(QTest::qWaitFor(
        [&] {
            int refused = 0;
            for (auto& s : flood)
                refused += s->bytesAvailable() > 0 && s->peek(12) == "HTTP/1.1 503";
            return refused >= 60;
        },
        10000));
    flood.clear();
    QVERIFY(QTest::qWaitFor(
        [&] { return get(port, "/latest.json?token=" + kToken).startsWith("HTTP/1.1 200"); },
        10000));

    const QList<Hostile> table = hostileClients();
    std::vector<std::unique_ptr<Client>> clients;
    for (const Hostile& h : table) {
        clients.push_back(std::make_unique<Client>());
        clients.back()->Run(h.request, h.how, port);
    }
    // The slow client is dropped when its request is not whole 10 s after it connected.
    (void)QTest::qWaitFor(
        [&] {
            for (auto& c : clients)
                if (c->outcome.isEmpty())
                    return false;
            return true;
        },
        20000);
    for (size_t i = 0; i < clients.size(); ++i)
        QVERIFY2(table[i].outcomes.contains(clients[i]->outcome),
                 qPrintable(QStringLiteral("%1: %2").arg(
                     table[i].name, QString::fromLatin1(clients[i]->outcome))));
    clients.clear();

    // Served as before: a note with the token is taken; the alarm raised and the note are events
    // on the page. /readings.csv has the readings since a time in their order.
    QTcpSocket note;
    note.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(note.waitForConnected(5000));
    note.write("POST /note?token=" + kToken +
               " HTTP/1.1\r\nContent-Length: 14\r\n\r\nfilter changed");
    QVERIFY(QTest::qWaitFor([&] { return note.bytesAvailable() > 0; }, 5000));
    QVERIFY(note.readAll().startsWith("HTTP/1.1 200"));
    const QByteArray latest = get(port, "/latest.json?token=" + kToken);
    QVERIFY2(latest.contains("\"state\":\"reading\",\"readings\":"), latest.constData());
    QVERIFY2(latest.contains("{\"event\":\"alarm\",") && latest.contains("\"change\":\"raised\"") &&
                 latest.contains("\"note\":\"filter changed\"}") &&
                 latest.contains("\"alarms\":[{\"raised\":true,\"rule\":\"velocity > 0.5 m/s\""),
             latest.constData());
    const QByteArray csv = get(port, "/readings.csv?since=2000-01-01T00:00:00Z&token=" + kToken);
    QVERIFY2(csv.contains("\r\n\r\nno,time,value,unit,kind,mode,temperature,temperature_unit,"
                          "humidity\n1,"),
             csv.left(400).constData());
    QVERIFY(csv.contains(",0.01,m/s,VEL,,23.5,°C,45.6\n3,"));

    // Every frame the meter sent is in the file, in order.
    run.meter.Stop();
    const int sent = run.meter.sent;
    QVERIFY(QTest::qWaitFor([&] { return ReadFileBytes(file).count('\n') == sent + 1; }, 10000));
    const QList<QByteArray> lines = ReadFileBytes(file).split('\n');
    for (int i = 1; i <= sent; ++i)
        QVERIFY2(lines[i].startsWith(QByteArray::number(i) + ",\"") &&
                     lines[i].contains("\"," + QByteArray::number((i - 1) / 100.0, 'g', 15) +
                                       ",\"m/s\","),
                 lines[i].constData());
    qInfo("%d frames at 74 a second, all written", sent);
}

QTEST_GUILESS_MAIN(LiveServerTest)
#include "LiveServerTest.moc"
