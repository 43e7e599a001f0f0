#include "remote/MqttPublisher.h"

#include "state/SystemTexts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <cstring>

#include <mosquitto.h>

namespace {

constexpr int kKeepAliveSeconds = 10;
constexpr int kTlsPort = 8883;
constexpr int kPlainPort = 1883;
constexpr unsigned kFirstRetrySeconds = 1;
constexpr unsigned kLastRetrySeconds = 30;
constexpr int kOfflineWaitMs = 2000;
// A broker that has not answered by then is said to be out of reach, whatever libmosquitto's
// thread is still trying (a TLS connection that cannot start reports nothing of its own).
constexpr int kFirstAnswerMs = 5000;

constexpr char kOnline[] = "online";
constexpr char kOffline[] = "offline";
constexpr int kOnlineSize = sizeof kOnline - 1;
constexpr int kOfflineSize = sizeof kOffline - 1;

QString mosquittoError(int rc) {
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

} // namespace

bool ReadMqttCredentials(const QString& file, MqttOptions* options, QString* error) {
    if (file.isEmpty()) {
        options->user = qEnvironmentVariable("VANTELLO_MQTT_USER");
        options->password = qEnvironmentVariable("VANTELLO_MQTT_PASSWORD");
        return true;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the MQTT credentials in %1: %2")
                     .arg(QuotedPath(file), in.errorString());
        return false;
    }
    const QList<QByteArray> lines = in.read(64 * 1024).split('\n');
    const auto line = [&lines](int i) {
        return i < lines.size() ? QString::fromUtf8(lines[i]).remove(u'\r') : QString();
    };
    options->user = line(0);
    options->password = line(1);
    if (options->user.isEmpty()) {
        *error = QStringLiteral("%1 holds no user name on its first line (the password goes on "
                                "the second)")
                     .arg(QuotedPath(file));
        return false;
    }
    return true;
}

MqttPublisher::MqttPublisher(MqttOptions options, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_readingTopic((m_options.topic + QStringLiteral("/reading")).toUtf8())
    , m_eventTopic((m_options.topic + QStringLiteral("/event")).toUtf8())
    , m_stateTopic((m_options.topic + QStringLiteral("/state")).toUtf8()) {
    if (m_options.port == 0)
        m_options.port = m_options.cafile.isEmpty() ? kPlainPort : kTlsPort;
}

MqttPublisher::~MqttPublisher() {
    Stop();
    if (m_mosq)
        mosquitto_destroy(m_mosq);
}

QString MqttPublisher::Broker() const {
    const QString host =
        m_options.host.contains(u':') ? u'[' + m_options.host + u']' : m_options.host;
    return host + u':' + QString::number(m_options.port);
}

bool MqttPublisher::Start(QString* error) {
    static const int initialised = mosquitto_lib_init();
    Q_UNUSED(initialised);
    m_mosq = mosquitto_new(nullptr, true, this);
    if (!m_mosq) {
        *error = QStringLiteral("cannot set up MQTT: %1").arg(mosquittoError(MOSQ_ERR_ERRNO));
        return false;
    }
    int rc = mosquitto_will_set(m_mosq, m_stateTopic.constData(), kOfflineSize, kOffline, 1, true);
    if (rc != MOSQ_ERR_SUCCESS) {
        *error = QStringLiteral("--topic %1 cannot be used: %2")
                     .arg(m_options.topic, mosquittoError(rc));
        return false;
    }
    if (!m_options.user.isEmpty()) {
        const QByteArray user = m_options.user.toUtf8();
        const QByteArray password = m_options.password.toUtf8();
        mosquitto_username_pw_set(m_mosq, user.constData(),
                                  m_options.password.isEmpty() ? nullptr : password.constData());
    }
    if (!m_options.cafile.isEmpty()) {
        if (!QFileInfo(m_options.cafile).isReadable()) {
            *error = QStringLiteral("cannot read the CA file %1").arg(QuotedPath(m_options.cafile));
            return false;
        }
        const QByteArray cafile = QFile::encodeName(m_options.cafile);
        rc = mosquitto_tls_set(m_mosq, cafile.constData(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            *error = QStringLiteral("cannot use the CA file %1: %2")
                         .arg(QuotedPath(m_options.cafile), mosquittoError(rc));
            return false;
        }
    }
    mosquitto_connect_callback_set(m_mosq, &MqttPublisher::onConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MqttPublisher::onDisconnect);
    mosquitto_publish_callback_set(m_mosq, &MqttPublisher::onPublish);
    mosquitto_reconnect_delay_set(m_mosq, kFirstRetrySeconds, kLastRetrySeconds, true);

    // A broker that does not answer yet is no reason to stop: the thread keeps trying.
    const QByteArray host = m_options.host.toUtf8();
    rc = mosquitto_connect_async(m_mosq, host.constData(), m_options.port, kKeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        m_lost = true;
        emit Said(QStringLiteral("MQTT broker %1 not reached (%2); trying again, readings go on "
                                 "into the file")
                      .arg(Broker(), mosquittoError(rc)),
                  false);
    }
    rc = mosquitto_loop_start(m_mosq);
    if (rc != MOSQ_ERR_SUCCESS) {
        *error = QStringLiteral("cannot start MQTT: %1").arg(mosquittoError(rc));
        return false;
    }
    m_started = true;
    QTimer::singleShot(kFirstAnswerMs, this, [this] {
        if (m_everConnected || m_lost || !m_started)
            return;
        m_lost = true;
        emit Said(QStringLiteral("MQTT broker %1 not reached yet; trying again, readings go on "
                                 "into the file")
                      .arg(Broker()),
                  false);
    });
    return true;
}

void MqttPublisher::PublishReading(const QByteArray& json) {
    if (!m_connected) {
        ++m_unpublished;
        return;
    }
    if (mosquitto_publish(m_mosq, nullptr, m_readingTopic.constData(), int(json.size()),
                          json.constData(), 0, false) != MOSQ_ERR_SUCCESS)
        ++m_unpublished;
}

void MqttPublisher::PublishEvent(const QByteArray& json) {
    if (!m_started)
        return;
    mosquitto_publish(m_mosq, nullptr, m_eventTopic.constData(), int(json.size()), json.constData(),
                      1, false);
}

void MqttPublisher::Stop() {
    if (!m_started)
        return;
    m_started = false;
    if (m_connected) {
        int mid = 0;
        if (mosquitto_publish(m_mosq, &mid, m_stateTopic.constData(), kOfflineSize, kOffline, 1,
                              true) == MOSQ_ERR_SUCCESS) {
            m_offlineMid = mid;
            QElapsedTimer waited;
            waited.start();
            while (!m_offlineSent && m_connected && waited.elapsed() < kOfflineWaitMs)
                QThread::msleep(5);
        }
    }
    mosquitto_disconnect(m_mosq);
    mosquitto_loop_stop(m_mosq, false);
}

// Called on libmosquitto's thread: the state is published there, what to say is handed to the
// publisher's own thread.
void MqttPublisher::onConnect(mosquitto* mosq, void* self, int rc) {
    auto* publisher = static_cast<MqttPublisher*>(self);
    if (rc == 0) {
        mosquitto_publish(mosq, nullptr, publisher->m_stateTopic.constData(), kOnlineSize, kOnline,
                          1, true);
        publisher->m_connected = true;
    }
    QMetaObject::invokeMethod(
        publisher, [publisher, rc] { publisher->connected(rc); }, Qt::QueuedConnection);
}

void MqttPublisher::onDisconnect(mosquitto*, void* self, int rc) {
    auto* publisher = static_cast<MqttPublisher*>(self);
    publisher->m_connected = false;
    if (rc != 0)
        QMetaObject::invokeMethod(
            publisher, [publisher, rc] { publisher->disconnected(rc); }, Qt::QueuedConnection);
}

void MqttPublisher::onPublish(mosquitto*, void* self, int mid) {
    auto* publisher = static_cast<MqttPublisher*>(self);
    if (mid == publisher->m_offlineMid)
        publisher->m_offlineSent = true;
}

void MqttPublisher::connected(int rc) {
    if (rc != 0) {
        m_lost = true;
        emit Said(QStringLiteral("MQTT broker %1 refused the connection: %2")
                      .arg(Broker(), QString::fromUtf8(mosquitto_connack_string(rc))),
                  false);
        return;
    }
    if (!m_everConnected)
        emit Said(
            QStringLiteral("publishing on MQTT broker %1 under %2/").arg(Broker(), m_options.topic),
            true);
    else if (m_lost)
        emit Said(QStringLiteral("MQTT broker %1 back; %2 readings were not published meanwhile "
                                 "(they are in the file)")
                      .arg(Broker())
                      .arg(m_unpublished - m_unpublishedAtLoss),
                  false);
    m_everConnected = true;
    m_lost = false;
}

void MqttPublisher::disconnected(int rc) {
    if (m_lost)
        return;
    m_lost = true;
    m_unpublishedAtLoss = m_unpublished;
    emit Said(QStringLiteral("MQTT broker %1 lost (%2); trying again, readings go on into the file")
                  .arg(Broker(), mosquittoError(rc)),
              false);
}
