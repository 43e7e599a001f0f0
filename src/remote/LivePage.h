#pragma once

#include <QByteArray>

// The live page of a vantello-log run (UTF-8 HTML): the newest reading in large type, temperature
// and humidity, the meter's state, the last hour as a chart, alarms, events and a note field. It
// reads /latest.json and /readings.csv at its start and follows /events.
QByteArray LivePageHtml();
