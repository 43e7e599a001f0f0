#include "shell/MainMod.h"

#include "link/DemoStart.h"
#include "link/DeviceSerialPort.h"
#include "link/LinkController.h"
#include "link/NetworkPortPlatform.h"
#include "link/NetworkSerialPort.h"
#include "link/RoutedSerialPort.h"
#include "link/SystemPortPlatform.h"
#include "recovery/EarlierRuns.h"
#include "shell/MainForm.h"
#include "state/GVarMod.h"
#include "widgets/FileSaveDialog.h"
#include "widgets/WindowMessageBoxes.h"

#include <QApplication>

#include <cstdio>

int MainMod(const StartOptions& options) {
    GVarMod state; // ReadingCount 0, ChartScale 400, ViewStart 1, ViewSpan 0, not held

    DemoStart demo;
    std::unique_ptr<PortPlatform> platform;
    if (options.demo) {
        QString error;
        demo = StartDemo(&error);
        if (!demo.platform) {
            std::fprintf(stderr, "vantello: the simulated meter could not start: %s\n",
                         qPrintable(error));
            return 1;
        }
        platform = std::move(demo.platform);
    } else {
        platform = std::make_unique<NetworkPortPlatform>(MakeSystemPortPlatform());
        if (!options.port.isEmpty())
            platform->GivePort(options.port, PortPlatform::GivenRole::StartText);
    }

    // A serial device, or a network serial bridge for a port named "tcp:HOST:PORT".
    DeviceSerialPort device;
    NetworkSerialPort network;
    RoutedSerialPort port(device, network);
    WindowMessageBoxes messages;
    FileSaveDialog mainDialog;
    FileSaveDialog dataDialog;
    MainParts parts{state, port, *platform, messages, mainDialog, dataDialog, {}};
    if (options.recovery)
        parts.recoveryFolder = DefaultRecoveryFolder();
    MainForm form(std::move(parts));
    messages.SetParent(&form);
    mainDialog.SetOwner(&form);
    dataDialog.SetOwner(&form);

    form.show();
    form.MDIForm_Load();
    if (!options.port.isEmpty())
        form.link().btn_conn_Click(); // the port box shows the given port
    form.OpenRecordings(options.files);
    return QApplication::exec();
}
