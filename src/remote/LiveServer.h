#pragma once

#include "link/MeterFrame.h"
#include "remote/LiveRecord.h"

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QList>
#include <QPointer>

#include <functional>

class QTcpSocket;
class QTimer;

// What the live page's server is told at its start.
struct LiveServerOptions {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 0;             // 0: any free port (Port() says which)
    QByteArray token;             // asked of notes always
    bool tokenForAll = false;     // asked of every request (another address than loopback, --token)
    int maxConnections = 32;      // more at once are answered 503 and closed
    int requestTimeoutMs = 10000; // a request must arrive whole within this time
    qint64 requestLimit = 16 * 1024;    // bytes of one request (line, headers and body)
    qint64 streamBacklog = 1024 * 1024; // a stream whose reader lags this far behind is closed
};

// The live page of a vantello-log run and what it reads, over Qt HttpServer's request parser:
//   GET /                      the page (LivePageHtml)
//   GET /events                server-sent events: reading (the logger's JSON object), state,
//                              event, alarms
//   GET /latest.json           {"port", "state", "readings", "reading", "events", "alarms"}
//   GET /readings.csv?since=T  the readings kept (the last hour) at or after T (LiveCsvRow)
//   POST /note                 a note (text/plain, at most 500 characters); always needs the token
// The token comes as ?token= or "Authorization: Bearer"; it is compared in constant time. Nothing
// else is served (no files), so no path leads out.
//
// Hostile clients cost little and never hold up the readings: a request larger than
// requestLimit is answered 431 and closed, one that is not whole within requestTimeoutMs (a slow
// client, an idle kept-alive connection) is closed, connections beyond maxConnections get 503 at
// once, a stream whose reader does not keep up is closed, and long answers are written as the
// client takes them.
class LiveServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    explicit LiveServer(LiveServerOptions options, QObject* parent = nullptr);
    ~LiveServer() override;

    // Listens; false with the reason when the address cannot be used.
    bool Start(QString* error);
    quint16 Port() const;

    void SetPort(const QString& port) { m_port = port; }
    // A reading written; json is its JSON object (LiveJson) when the caller has it already.
    void AddReading(qint64 no, const MeterFrame& frame, const QDateTime& at,
                    const QByteArray& json = {});
    void SetMeterState(const QString& state);
    // An event record (a JSON object: an alarm raised or cleared, a note); the last 50 are kept.
    void AddEvent(const QByteArray& json);
    // The alarm rules and whether each is raised, as a JSON array.
    void SetAlarms(const QByteArray& jsonArray);

    // The alarms' states now, for /latest.json (none when unset).
    std::function<QByteArray()> alarmsNow;
    // Takes a note sent from the page; false with the reason to show when it cannot.
    std::function<bool(const QString& text, QString* why)> onNote;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    class Listener;
    struct CsvStream;
    void openStream(QTcpSocket* socket);
    void broadcast(const QByteArray& kind, const QByteArray& data);
    void sendCsv(const QHttpServerRequest& request, QTcpSocket* socket);
    void note(const QHttpServerRequest& request, QTcpSocket* socket);
    QByteArray latestJson() const;
    bool tokenMatches(const QHttpServerRequest& request) const;

    LiveServerOptions m_options;
    QByteArray m_tokenHash;
    Listener* m_listener = nullptr;
    LiveRecord m_record;
    QString m_port;
    QString m_state = QStringLiteral("starting");
    qint64 m_readings = 0;
    QList<QByteArray> m_events;
    QList<QPointer<QTcpSocket>> m_streams;
    QTimer* m_keepAlive = nullptr; // a comment on the streams while nothing else goes out
};
