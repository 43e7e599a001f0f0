#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>

struct mosquitto;

// Where and how to publish.
struct MqttOptions {
    QString host;
    int port = 0;  // 0: 1883, or 8883 with a CA file
    QString topic; // the prefix: PREFIX/reading, PREFIX/event, PREFIX/state
    QString user;
    QString password;
    QString cafile; // TLS, trusting these certificates
};

// The user name and password for the broker: the file's first two lines when a file is named,
// else VANTELLO_MQTT_USER and VANTELLO_MQTT_PASSWORD from the environment when set. False, with
// why, when the file cannot be read or names no user.
bool ReadMqttCredentials(const QString& file, MqttOptions* options, QString* error);

// Publishes a logger's run to an MQTT broker through libmosquitto, whose own thread talks to the
// broker: publishing only hands a message over, so the readings never wait for the network.
// PREFIX/state is "online" (retained) once connected and "offline" when the run ends, and the
// broker says "offline" itself (the will) when the connection is lost. A broker not reached is
// said to be so when the first try fails, or 5 s after the start when nothing came back by then.
// A lost or unreached broker is tried again, 1 s later and then at doubling intervals up to 30 s;
// readings meanwhile are not published (they are in the file) and are counted; events are queued
// (QoS 1) and go out once the broker is back.
class MqttPublisher : public QObject {
    Q_OBJECT
public:
    explicit MqttPublisher(MqttOptions options, QObject* parent = nullptr);
    ~MqttPublisher() override;

    // Sets up the connection and starts trying; false with why when it cannot even start (no
    // TLS file, a topic libmosquitto refuses).
    bool Start(QString* error);
    void PublishReading(const QByteArray& json);
    void PublishEvent(const QByteArray& json);
    // Says "offline", waits a little for it to go out, and disconnects.
    void Stop();

    QString Broker() const;

signals:
    // What standard error should say (lost, back); notice: only what goes well (connected).
    void Said(const QString& text, bool notice);

private:
    static void onConnect(mosquitto* mosq, void* self, int rc);
    static void onDisconnect(mosquitto* mosq, void* self, int rc);
    static void onPublish(mosquitto* mosq, void* self, int mid);
    void connected(int rc);
    void disconnected(int rc);

    MqttOptions m_options;
    // PREFIX/reading, PREFIX/event and PREFIX/state; libmosquitto's thread reads the last.
    const QByteArray m_readingTopic;
    const QByteArray m_eventTopic;
    const QByteArray m_stateTopic;
    mosquitto* m_mosq = nullptr;
    bool m_started = false;
    std::atomic<bool> m_connected = false;
    std::atomic<int> m_offlineMid = -1;
    std::atomic<bool> m_offlineSent = false;
    bool m_everConnected = false;
    bool m_lost = false;
    qint64 m_unpublished = 0;
    qint64 m_unpublishedAtLoss = 0;
};
