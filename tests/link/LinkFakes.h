#pragma once

// Stand-ins for the link control's surroundings: a panel that logs what it is told, message
// boxes that record their texts, a serial port that only records, and a scripted Windows system.

#include "link/LinkController.h"
#include "link/SerialPort.h"
#include "link/WindowsComPorts.h"
#include "seams/MessageBoxes.h"
#include "support/ScriptedSeams.h"

#include <QStringList>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

class LoggingPanel : public LinkPanel {
public:
    QString text;
    QStringList log;

    QString PortText() const override { return text; }
    void SetPortText(const QString& t) override {
        text = t;
        log << QStringLiteral("text ") + t;
    }
    void ShowConnectDisabled() override { log << QStringLiteral("disabled"); }
    void ShowConnectEnabled() override { log << QStringLiteral("enabled"); }
    void ShowLinkOnline() override { log << QStringLiteral("online"); }
    void ShowLinkOffline() override { log << QStringLiteral("offline"); }
};

class RecordingSerialPort : public SerialPort {
public:
    QStringList opened;
    bool openSucceeds = true;
    bool open = false;
    QString name;
    int threshold = 0;
    int waiting = 0;

    QString CommPort() const override { return name; }
    void SetCommPort(const QString& n) override { name = n; }
    bool PortOpen() const override { return open; }
    bool Open(QString* = nullptr) override {
        opened << name;
        open = openSucceeds;
        return open;
    }
    void Close() override { open = false; }
    int RThreshold() const override { return threshold; }
    void SetRThreshold(int t) override { threshold = t; }
    int InBufferCount() override { return waiting; }
    void DiscardInput() override { waiting = 0; }
    QByteArray Input() override { return QByteArray(waiting, '\0'); }
    QByteArray TakeInput(int count) override {
        const int taken = std::min(count, waiting);
        waiting -= taken;
        return QByteArray(taken, '\0');
    }
    int CommEvent() const override { return 0; }
};

// A registry holding the values of one key; Query behaves like the system call: it fails for a
// missing value or one that does not fit the buffer, and reports type and stored length.
class ScriptedRegistry : public RegistryKeyReader {
public:
    struct Value {
        std::uint32_t type = kRegistryStringType;
        std::string data;
    };
    bool keyExists = true;
    std::map<std::string, Value> values;
    std::vector<std::string> queried;
    std::vector<std::uint32_t> lengthsOffered;
    bool open = false;

    static Value Text(const std::string& s) { return {kRegistryStringType, s + '\0'}; }

    bool Open(const char* keyPath) override {
        open = keyExists && std::string(keyPath) == kSerialCommKey;
        return open;
    }
    bool Query(const char* valueName, std::uint32_t* type, unsigned char* buffer,
               std::uint32_t* length) override {
        queried.emplace_back(valueName);
        lengthsOffered.push_back(*length);
        const auto it = values.find(valueName);
        if (!open || it == values.end() || it->second.data.size() > *length)
            return false;
        std::memcpy(buffer, it->second.data.data(), it->second.data.size());
        *type = it->second.type;
        *length = static_cast<std::uint32_t>(it->second.data.size());
        return true;
    }
    bool Value(std::uint32_t index, std::string* name, std::uint32_t* type,
               std::string* data) override {
        if (!open || index >= values.size())
            return false;
        const auto it = std::next(values.begin(), std::ptrdiff_t(index));
        *name = it->first;
        *type = it->second.type;
        *data = it->second.data;
        return true;
    }
    void Close() override { open = false; }
};

class ScriptedComPortSystem : public ComPortSystem {
public:
    ScriptedRegistry registry;
    std::vector<std::string> probed;
    std::uint32_t probeResult = kProbeUsable; // or a Windows error code, kProbeNotCommDevice

    RegistryKeyReader& Registry() override { return registry; }
    std::uint32_t Probe(const std::string& path) override {
        probed.push_back(path);
        return probeResult;
    }
};
