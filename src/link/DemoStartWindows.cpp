#include "link/DemoStart.h"

DemoStart StartDemo(QString* error) {
    *error = QStringLiteral(
        "the simulated meter runs on a pseudo-terminal, which Windows does not have. Run "
        "vantello-meter-sim --tcp 4001 on a Linux computer and start Vantello with --port "
        "tcp:THAT-COMPUTER:4001 instead.");
    return {};
}
