#pragma once

// vantello-log started by a test with a pseudo-terminal as its meter, and a meter that streams
// frames from a thread of its own at a steady rate, so a busy test never leaves the line quiet or
// the frames late. Shared by the tests of the logger's outputs to other machines.

#include "link/MeterFrame.h"
#include "link/PseudoTerminal.h"

#include <QProcess>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

// Frames with a velocity that counts up, so each reading is told apart by its value.
inline QByteArray CountingFrame(int i) {
    MeterFrameFields f;
    f.humidityTenths = 456;
    f.temperatureMagnitude = 235;
    f.valueMagnitude = std::uint16_t(i % 60000);
    f.decimalCode = 3; // hundredths: 1.23 m/s for 123
    const MeterFrame frame = EncodeFrame(f);
    return QByteArray(reinterpret_cast<const char*>(frame.data()), kFrameLength);
}

class StreamingMeter {
public:
    PseudoTerminal line;

    ~StreamingMeter() { Stop(); }
    // Frames every 1000/rate ms from now on, on the schedule (a late one is sent at once); a
    // stream already going stops first.
    void Start(int rate) {
        Stop();
        m_on = true;
        m_thread = std::thread([this, rate] {
            const auto step = std::chrono::microseconds(1000000 / rate);
            auto next = std::chrono::steady_clock::now();
            while (m_on) {
                if (line.Write(CountingFrame(sent)) == kFrameLength)
                    ++sent;
                next += step;
                std::this_thread::sleep_until(next);
            }
        });
    }
    void Stop() {
        m_on = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    std::atomic<int> sent = 0;

private:
    std::atomic<bool> m_on = false;
    std::thread m_thread;
};

class LoggerRun {
public:
    StreamingMeter meter;
    QProcess process;
    QByteArray err;

    bool Start(const QString& program, QStringList arguments) {
        if (!meter.line.IsOpen() && !meter.line.Open())
            return false;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                         [this] { err += process.readAllStandardError(); });
        process.start(program, arguments << "--port" << meter.line.Path());
        return process.waitForStarted();
    }
    // Waits until standard error says text (false when the run ended or 60 s passed first).
    bool WaitFor(const QByteArray& text, int timeoutMs = 60000) {
        return QTest::qWaitFor(
                   [&] { return err.contains(text) || process.state() == QProcess::NotRunning; },
                   timeoutMs) &&
               err.contains(text);
    }
    ~LoggerRun() {
        meter.Stop();
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }
};
