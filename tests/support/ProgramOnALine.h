#pragma once

// The whole windowed program on a pseudo-terminal standing in for the meter's bridge, with
// scripted message boxes and save dialogs, a fixed clock and a fake sysfs. Each test adds its own
// parts (a print target, a recovery folder, the traverse's seams) before the windows are made; a
// test whose own members are given to the windows resets `form` in its destructor, so the windows
// go first.

#include "link/ConnectForm.h"
#include "link/DeviceSerialPort.h"
#include "link/FakeSysfs.h"
#include "link/LinkController.h"
#include "link/LinuxPortPlatform.h"
#include "link/PseudoTerminal.h"
#include "live/ShowForm.h"
#include "shell/MainForm.h"
#include "state/GVarMod.h"
#include "support/ScriptedSeams.h"
#include "table/DataForm.h"
#include "table/DataGridView.h"

#include <QComboBox>
#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

struct ProgramOnALine {
    QTemporaryDir dir;
    PseudoTerminal meter;
    DeviceSerialPort port;
    FakeSysfs sys{dir.filePath(QStringLiteral("sys"))};
    LinuxPortPlatform platform{sys.Root(), dir.filePath(QStringLiteral("dev"))};
    GVarMod state;
    ScriptedMessages messages;
    ScriptedSaveDialog commonDialog;
    ScriptedSaveDialog dataDialog;
    std::unique_ptr<MainForm> form;

    // now: the clock of the readings; addParts fills in what the test needs beyond that.
    // Call Start once the test's own members (answers, targets) are set.
    explicit ProgramOnALine(QDateTime now)
        : m_now(std::move(now)) {
        meter.Open();
        // Settings (the alarm rules the program starts with) in a folder of the tests' own unless
        // the test chose one: never the user's. The process keeps the place of the first settings
        // read, so this comes before any.
        static QTemporaryDir config;
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
            qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    }

    void Start(const std::function<void(MainParts&)>& addParts = {}) {
        MainParts parts{state, port, platform, messages, commonDialog, dataDialog, {}};
        parts.now = [now = m_now] {
            return now;
        };
        if (addParts)
            addParts(parts);
        form = std::make_unique<MainForm>(std::move(parts));
        form->show();
        form->MDIForm_Load();
    }

    // CONNECT on the meter's line; true once the link is in step.
    bool connect() {
        form->connectForm()->Combo1()->setEditText(meter.Path());
        form->link().btn_conn_Click();
        return QTest::qWaitFor([this] { return form->link().State() == LinkState::Armed; });
    }

    // Sends bytes and waits until a reading is stored.
    bool sendBytes(const QByteArray& bytes) {
        const int before = state.ReadingCount;
        meter.Write(bytes);
        return QTest::qWaitFor([&] { return state.ReadingCount != before; });
    }

    DataGridView& grid() const { return form->dataForm()->MSFlexGrid1(); }
    ShowForm& show() const { return *form->showForm(); }

private:
    QDateTime m_now;
};
