#include "link/MeterFeed.h"

#include "link/SystemPortPlatform.h"

#include <algorithm>
#include <random>

MeterFeed::MeterFeed(double framesPerSecond, QObject* parent)
    : QObject(parent) {
    const double rate = framesPerSecond > 0 ? framesPerSecond : 2.0;
    m_timer.setInterval(std::max(1, static_cast<int>(1000.0 / rate + 0.5)));
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &MeterFeed::tick);
}

bool MeterFeed::Open(QString* error) {
    return m_line.Open(error);
}

void MeterFeed::UseSimulator(std::uint32_t seed) {
    m_simulator = std::make_unique<MeterSimulator>(seed);
    m_chunks.clear();
}

void MeterFeed::Replay(QList<QByteArray> chunks, bool repeat) {
    m_simulator.reset();
    m_chunks = std::move(chunks);
    m_next = 0;
    m_repeat = repeat;
}

void MeterFeed::Start() {
    if (!m_simulator && m_chunks.isEmpty())
        UseSimulator(std::random_device{}());
    m_timer.start();
}

void MeterFeed::Stop() {
    m_timer.stop();
}

void MeterFeed::Unplug() {
    m_timer.stop();
    m_line.Close();
}

void MeterFeed::tick() {
    QByteArray frame;
    if (m_simulator) {
        const MeterFrame f = m_simulator->NextFrame();
        frame = QByteArray(reinterpret_cast<const char*>(f.data()), kFrameLength);
    } else {
        if (m_next >= m_chunks.size()) {
            if (!m_repeat || m_chunks.isEmpty()) {
                m_timer.stop();
                emit ReplayFinished();
                return;
            }
            m_next = 0;
        }
        frame = m_chunks.at(m_next++);
    }
    // Nobody reading the line: the frame is lost, as it would be on a real cable.
    if (m_line.Write(frame) == frame.size())
        ++m_sent;
    else
        ++m_dropped;
    emit FrameSent(frame);
}

DemoLink StartDemoLink(QString* error) {
    DemoLink link;
    auto meter = std::make_unique<MeterFeed>(2.0);
    if (!meter->Open(error))
        return link;
    meter->Start();
    // The simulated meter's line is the bridge; listing, probing and opening are as on the real
    // system.
    link.platform = MakeSystemPortPlatform();
    link.platform->GivePort(meter->PortPath(), PortPlatform::GivenRole::Bridge);
    link.meter = std::move(meter);
    return link;
}

std::optional<QByteArray> ParseHexBytes(QStringView text) {
    QByteArray bytes;
    int high = -1;
    for (const QChar c : text) {
        const int digit = (c >= u'0' && c <= u'9')   ? c.unicode() - '0'
                          : (c >= u'a' && c <= u'f') ? c.unicode() - 'a' + 10
                          : (c >= u'A' && c <= u'F') ? c.unicode() - 'A' + 10
                                                     : -1;
        if (digit < 0) {
            if (high >= 0 || !(c.isSpace() || c == u',' || c == u':' || c == u'-'))
                return std::nullopt;
            continue;
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.append(static_cast<char>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0)
        return std::nullopt;
    return bytes;
}

QList<QByteArray> SplitIntoFrames(const QByteArray& bytes) {
    QList<QByteArray> frames;
    for (qsizetype at = 0; at < bytes.size(); at += kFrameLength)
        frames.append(bytes.mid(at, kFrameLength));
    return frames;
}
