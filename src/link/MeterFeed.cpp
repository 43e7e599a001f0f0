#include "link/MeterFeed.h"

#include "link/SystemPortPlatform.h"

#include <random>

MeterFeed::MeterFeed(double framesPerSecond, QObject* parent)
    : QObject(parent) {
    const double rate = framesPerSecond > 0 ? framesPerSecond : 2.0;
    m_timer.setInterval(std::max(20, static_cast<int>(1000.0 / rate + 0.5)));
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

QStringList DemoPortPlatform::ListPorts() {
    QStringList list = m_system->ListPorts();
    list.prepend(m_demoPath);
    return list;
}

DemoLink StartDemoLink(QString* error) {
    DemoLink link;
    auto meter = std::make_unique<MeterFeed>(2.0);
    if (!meter->Open(error))
        return link;
    meter->Start();
    link.platform = std::make_unique<DemoPortPlatform>(MakeSystemPortPlatform(), meter->PortPath());
    link.meter = std::move(meter);
    return link;
}
