#include "remote/LiveServer.h"

#include "logger/LogRows.h"
#include "remote/LivePage.h"

#include <QCryptographicHash>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

namespace {

constexpr qint64 kCsvBatchBytes = 64 * 1024; // a long answer is topped up below this much unsent
constexpr int kNoteLimit = 500;              // characters of a note
constexpr int kEventsKept = 50;
constexpr int kKeepAliveMs = 15000;

const char kDeadline[] = "deadline";
const char kReceived[] = "received";

using Status = QHttpServerResponder::StatusCode;

// The data of a state event on the page's stream.
QByteArray stateEvent(const QString& state) {
    return "{\"state\":" + JsonStringText(state) + '}';
}

QByteArray tokenHash(const QByteArray& token) {
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256);
}

// The deadline of a connection's next request starts again (or stops, for a stream).
void restartDeadline(QTcpSocket* socket, bool stop = false) {
    if (auto* timer = socket->findChild<QTimer*>(QLatin1String(kDeadline)))
        stop ? timer->stop() : timer->start();
}

using Headers = std::initializer_list<std::pair<QByteArray, QByteArray>>;

// The status line and the headers every answer has, then extra, then (unless streaming) the body
// with its length.
void writeHead(QHttpServerResponder& r, Status status, const QByteArray& type, Headers extra) {
    r.writeStatusLine(status);
    r.writeHeader("Content-Type", type);
    r.writeHeader("Cache-Control", "no-store");
    r.writeHeader("X-Content-Type-Options", "nosniff");
    r.writeHeader("Referrer-Policy", "no-referrer");
    for (const auto& [name, value] : extra)
        r.writeHeader(name, value);
}

void respond(QHttpServerResponder& r, Status status, const QByteArray& type, const QByteArray& body,
             Headers extra = {}) {
    writeHead(r, status, type, extra);
    r.writeHeader("Content-Length", QByteArray::number(body.size()));
    r.writeBody(body);
}

void respondText(QHttpServerResponder& r, Status status, const QString& text, Headers extra = {}) {
    respond(r, status, "text/plain; charset=utf-8", text.toUtf8() + '\n', extra);
}

} // namespace

// Accepts connections for the HTTP server, and keeps each within bounds before the server's
// parser sees it: a read buffer of fixed size, a deadline for the next whole request, a limit on
// a request's bytes, and on the connections open at once.
class LiveServer::Listener : public QTcpServer {
public:
    Listener(LiveServer* server, const LiveServerOptions& options)
        : QTcpServer(server)
        , m_server(server)
        , m_options(options) {}

    int open = 0;

protected:
    void incomingConnection(qintptr fd) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            delete socket;
            return;
        }
        if (open >= m_options.maxConnections) {
            // Answered and closed at once; nothing it sends is read.
            static const QByteArray busy = [] {
                const QByteArray body = "too many connections; try again later\n";
                return "HTTP/1.1 503 Service Unavailable\r\nConnection: close\r\n"
                       "Content-Type: text/plain\r\nContent-Length: " +
                       QByteArray::number(body.size()) + "\r\n\r\n" + body;
            }();
            socket->setReadBufferSize(1);
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QTimer::singleShot(m_options.requestTimeoutMs, socket, [socket] { socket->abort(); });
            socket->write(busy);
            socket->disconnectFromHost();
            return;
        }
        // What the parser has not taken stays below this; the rest waits in the system.
        socket->setReadBufferSize(m_options.requestLimit + 4096);
        ++open;
        connect(socket, &QObject::destroyed, this, [this] { --open; });
        auto* deadline = new QTimer(socket);
        deadline->setObjectName(QLatin1String(kDeadline));
        deadline->setSingleShot(true);
        deadline->setInterval(m_options.requestTimeoutMs);
        connect(deadline, &QTimer::timeout, socket, [socket] { socket->abort(); });
        deadline->start();
        // Before the parser's own: counts what arrives for the next request.
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const qint64 received =
                socket->property(kReceived).toLongLong() + socket->bytesAvailable();
            socket->setProperty(kReceived, received);
            if (received <= m_options.requestLimit)
                return;
            QObject::disconnect(socket, &QTcpSocket::readyRead, m_server, nullptr);
            socket->write("HTTP/1.1 431 Request Header Fields Too Large\r\nConnection: close\r\n"
                          "Content-Length: 0\r\n\r\n");
            socket->disconnectFromHost();
        });
        addPendingConnection(socket);
    }

private:
    LiveServer* m_server;
    const LiveServerOptions& m_options;
};

// A long answer (/readings.csv) written as the client takes it, batch by batch.
struct LiveServer::CsvStream : QObject {
    CsvStream(LiveServer* server, QTcpSocket* socket, qint64 fromNo)
        : QObject(socket)
        , server(server)
        , socket(socket)
        , next(fromNo) {
        connect(socket, &QTcpSocket::bytesWritten, this, &CsvStream::topUp);
    }
    void topUp() {
        restartDeadline(socket); // a client that takes the answer is no idle one
        const auto& entries = server->m_record.Entries();
        size_t i = server->m_record.FirstFrom(next);
        const auto more = [&] {
            return i < entries.size() && entries[i].no <= lastNo;
        };
        while (socket->bytesToWrite() < kCsvBatchBytes && more()) {
            QByteArray batch;
            for (; more() && batch.size() < kCsvBatchBytes; ++i)
                batch += LiveCsvRow(entries[i]);
            next = entries[i - 1].no + 1;
            socket->write(batch);
        }
        if (!more()) {
            disconnect(socket, &QTcpSocket::bytesWritten, this, &CsvStream::topUp);
            socket->disconnectFromHost();
        }
    }
    LiveServer* server;
    QTcpSocket* socket;
    qint64 next;
    qint64 lastNo = 0; // readings that came after the request are not sent
};

LiveServer::LiveServer(LiveServerOptions options, QObject* parent)
    : QAbstractHttpServer(parent)
    , m_options(std::move(options))
    , m_tokenHash(tokenHash(m_options.token))
    , m_keepAlive(new QTimer(this)) {
    // While the meter is away nothing else goes out: a comment now and then keeps proxies from
    // closing the streams and finds the readers that are gone.
    m_keepAlive->setInterval(kKeepAliveMs);
    connect(m_keepAlive, &QTimer::timeout, this, [this] {
        for (const QPointer<QTcpSocket>& socket : std::as_const(m_streams))
            if (socket && socket->bytesToWrite() < m_options.streamBacklog)
                socket->write(": still here\n\n");
    });
    m_keepAlive->start();
}

LiveServer::~LiveServer() = default;

bool LiveServer::Start(QString* error) {
    m_listener = new Listener(this, m_options);
    if (!m_listener->listen(m_options.address, m_options.port)) {
        *error = m_listener->errorString();
        delete m_listener;
        m_listener = nullptr;
        return false;
    }
    bind(m_listener);
    return true;
}

quint16 LiveServer::Port() const {
    return m_listener ? m_listener->serverPort() : 0;
}

bool LiveServer::tokenMatches(const QHttpServerRequest& request) const {
    QByteArray given = request.query().queryItemValue(QStringLiteral("token")).toUtf8();
    const QByteArray authorization = request.value("authorization");
    if (authorization.startsWith("Bearer "))
        given = authorization.mid(7).trimmed();
    // Compared by their digests, every byte, so the time taken says nothing of the token.
    const QByteArray a = tokenHash(given);
    unsigned char differ = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        differ |= static_cast<unsigned char>(a[i] ^ m_tokenHash[i]);
    return differ == 0 && !m_options.token.isEmpty();
}

bool LiveServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    // An upgrade to another protocol is not served: the server's missing handler answers it.
    if (!request.value("upgrade").isEmpty())
        return false;
    socket->setProperty(kReceived, 0);
    restartDeadline(socket);
    QHttpServerResponder responder = makeResponder(request, socket);
    const QString path = request.url().path();
    const bool post = request.method() == QHttpServerRequest::Method::Post;
    const bool get = request.method() == QHttpServerRequest::Method::Get;
    const bool known = path == u"/" || path == u"/index.html" || path == u"/events" ||
                       path == u"/latest.json" || path == u"/readings.csv" || path == u"/note";
    if (!known) {
        respondText(responder, Status::NotFound, QStringLiteral("not found"));
        return true;
    }
    if ((m_options.tokenForAll || path == u"/note") && !tokenMatches(request)) {
        respondText(responder, Status::Unauthorized,
                    QStringLiteral("a token is needed: open the page at the address vantello-log "
                                   "printed at its start"));
        return true;
    }
    if (path == u"/note" ? !post : !get) {
        respondText(responder, Status::MethodNotAllowed, QStringLiteral("method not allowed"),
                    {{"Allow", path == u"/note" ? "POST" : "GET"}});
        return true;
    }

    if (path == u"/" || path == u"/index.html") {
        respond(responder, Status::Ok, "text/html; charset=utf-8", LivePageHtml(),
                {{"Content-Security-Policy",
                  "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                  "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors "
                  "'none'"}});
    } else if (path == u"/latest.json") {
        respond(responder, Status::Ok, "application/json", latestJson());
    } else if (path == u"/events") {
        writeHead(responder, Status::Ok, "text/event-stream", {{"Connection", "close"}});
        responder.writeBody("retry: 2000\n\n");
        openStream(socket);
        socket->write("event: state\ndata: " + stateEvent(m_state) + "\n\n");
    } else if (path == u"/readings.csv") {
        sendCsv(request, socket);
    } else {
        note(request, socket);
    }
    return true;
}

void LiveServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    respondText(responder, Status::NotFound, QStringLiteral("not served here"));
}

void LiveServer::openStream(QTcpSocket* socket) {
    // The connection is the stream's now: no more requests are read from it, and it lives as long
    // as its reader keeps up.
    QObject::disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    restartDeadline(socket, true);
    m_streams.append(socket);
}

void LiveServer::broadcast(const QByteArray& kind, const QByteArray& data) {
    const QByteArray message = "event: " + kind + "\ndata: " + data + "\n\n";
    for (qsizetype i = m_streams.size() - 1; i >= 0; --i) {
        QTcpSocket* socket = m_streams[i];
        if (!socket || socket->state() != QAbstractSocket::ConnectedState) {
            m_streams.removeAt(i);
        } else if (socket->bytesToWrite() > m_options.streamBacklog) {
            m_streams.removeAt(i);
            socket->abort();
        } else {
            socket->write(message);
        }
    }
}

void LiveServer::sendCsv(const QHttpServerRequest& request, QTcpSocket* socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    const QUrlQuery query = request.query();
    qint64 fromMs = std::numeric_limits<qint64>::min();
    if (query.hasQueryItem(QStringLiteral("since"))) {
        const QString since = query.queryItemValue(QStringLiteral("since"), QUrl::FullyDecoded);
        const std::optional<QDateTime> at = ParseSince(since);
        if (!at) {
            respondText(responder, Status::BadRequest,
                        QStringLiteral("since= wants an ISO 8601 time such as "
                                       "2026-12-10T09:00:00Z or 2026-12-10T10:00:00+01:00"));
            return;
        }
        fromMs = at->toMSecsSinceEpoch();
    }
    writeHead(responder, Status::Ok, "text/csv; charset=utf-8", {{"Connection", "close"}});
    responder.writeBody(LiveCsvHeading());
    // The rows from the first at or after since up to the newest now, topped up as they go out.
    QObject::disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    const size_t first = m_record.FirstAtOrAfter(fromMs);
    auto* stream = new CsvStream(this, socket,
                                 first < m_record.Entries().size() ? m_record.Entries()[first].no
                                                                   : m_readings + 1);
    stream->lastNo = m_readings;
    stream->topUp();
}

void LiveServer::note(const QHttpServerRequest& request, QTcpSocket* socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    const auto text = [&](Status status, const QString& body) {
        respondText(responder, status, body);
    };
    QString note = QString::fromUtf8(request.body());
    for (QChar& c : note)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    note = note.trimmed();
    if (note.isEmpty())
        return text(Status::BadRequest, QStringLiteral("the note is empty"));
    if (note.size() > kNoteLimit)
        return text(Status::PayloadTooLarge,
                    QStringLiteral("a note holds at most %1 characters").arg(kNoteLimit));
    if (!onNote)
        return text(Status::ServiceUnavailable, QStringLiteral("this run keeps no notes"));
    QString why;
    if (!onNote(note, &why))
        return text(Status::ServiceUnavailable, why);
    text(Status::Ok, QStringLiteral("added"));
}

QByteArray LiveServer::latestJson() const {
    const LiveEntry* latest = m_record.Latest();
    QByteArray events = "[";
    for (const QByteArray& e : m_events)
        events += (events.size() > 1 ? "," : "") + e;
    events += ']';
    return "{\"port\":" + JsonStringText(m_port) + ",\"state\":" + JsonStringText(m_state) +
           ",\"readings\":" + QByteArray::number(m_readings) +
           ",\"reading\":" + (latest ? LiveJson(*latest) : QByteArray("null")) +
           ",\"events\":" + events + ",\"alarms\":" + (alarmsNow ? alarmsNow() : QByteArray("[]")) +
           "}";
}

void LiveServer::AddReading(qint64 no, const MeterFrame& frame, const QDateTime& at,
                            const QByteArray& json) {
    m_record.Add(no, frame, at);
    m_readings = no;
    if (!m_streams.isEmpty())
        broadcast("reading", json.isEmpty() ? LiveJson(*m_record.Latest()) : json);
}

void LiveServer::SetMeterState(const QString& state) {
    m_state = state;
    broadcast("state", stateEvent(state));
}

void LiveServer::AddEvent(const QByteArray& json) {
    m_events.append(json);
    if (m_events.size() > kEventsKept)
        m_events.removeFirst();
    broadcast("event", json);
}

void LiveServer::SetAlarms(const QByteArray& jsonArray) {
    broadcast("alarms", jsonArray);
}
