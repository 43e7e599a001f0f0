#include "link/DemoStart.h"

#include "link/MeterFeed.h"

DemoStart StartDemo(QString* error) {
    DemoLink link = StartDemoLink(error);
    DemoStart start;
    if (!link.platform)
        return start;
    start.meter = std::shared_ptr<MeterFeed>(std::move(link.meter));
    start.platform = std::move(link.platform);
    return start;
}
