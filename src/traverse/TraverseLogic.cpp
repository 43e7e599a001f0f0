#include "traverse/TraverseLogic.h"

#include "link/MeterFrame.h"
#include "traverse/TraverseClock.h"

#include <algorithm>

QString TakeEndMessage(TakeEnd end) {
    switch (end) {
    case TakeEnd::FlowReading:
        return QStringLiteral(
            "The meter is measuring air flow (FLOW): a traverse needs air velocity.\n"
            "Switch the meter to velocity and take the point again. Nothing was stored.");
    case TakeEnd::UnknownUnit:
        return QStringLiteral(
            "A reading arrived without a velocity unit, so it cannot be averaged.\n"
            "Check the meter's unit and take the point again. Nothing was stored.");
    case TakeEnd::NoReading:
        return QStringLiteral(
            "No reading arrived during the take time.\n"
            "Check that the meter is connected and ONLINE, then take the point again. "
            "Nothing was stored.");
    case TakeEnd::Disconnected:
        return QStringLiteral(
            "The meter went offline during the take (unplugged or its port closed).\n"
            "Nothing was stored; the point keeps what it had. Connect the meter and take the "
            "point again.");
    case TakeEnd::Stored:
    case TakeEnd::Cancelled:
        break;
    }
    return {};
}

QString TakeStartMessage(TakeStart start) {
    switch (start) {
    case TakeStart::Offline:
        return QStringLiteral("The meter is offline, so there is nothing to take.\n"
                              "Connect the meter (CONNECT in the main window) and wait for "
                              "ONLINE, then take the point.");
    case TakeStart::AlreadyTaken:
        return QStringLiteral("All points are taken or skipped. To take one again, pick it in "
                              "the list or the drawing first.");
    case TakeStart::Started:
    case TakeStart::Taking:
        break;
    }
    return {};
}

namespace {

// The air temperature in degC of a plain-mode reading, nothing in dew-point or wet-bulb mode or
// with an unknown unit.
std::optional<double> plainTemperature(const DecodedFrame& d) {
    if (!d.modeLabel || !d.modeLabel->isEmpty() || !d.temperatureUnit)
        return std::nullopt;
    if (*d.temperatureUnit == QStringLiteral("°F"))
        return (d.temperature - 32) * 5 / 9;
    if (*d.temperatureUnit == QStringLiteral("°C"))
        return d.temperature;
    return std::nullopt;
}

} // namespace

TraverseLogic::TraverseLogic(TraverseClock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock) {
    connect(&m_clock, &TraverseClock::Tick, this, &TraverseLogic::onTick);
    NewTraverse(m_setup);
}

TraverseLogic::~TraverseLogic() {
    if (m_take)
        m_clock.StopTicking();
}

void TraverseLogic::NewTraverse(const TraverseSetup& setup) {
    if (m_take)
        endTake(TakeEnd::Cancelled);
    m_setup = setup;
    m_points = TraversePoints(setup);
    m_records.assign(m_points.size(), PointRecord{});
    m_current = 0;
    m_picked = false;
    emit Changed();
}

void TraverseLogic::Restore(const TraverseSetup& setup, std::vector<PointRecord> records,
                            std::optional<MeterUnit> unit) {
    if (m_take)
        endTake(TakeEnd::Cancelled);
    m_setup = setup;
    m_points = TraversePoints(setup);
    records.resize(m_points.size());
    m_records = std::move(records);
    if (unit)
        m_meterUnit = unit;
    m_current = 0;
    m_picked = false;
    if (!m_records.empty() && (m_records[0].taken || m_records[0].skipped))
        moveToNextOpen();
    emit Changed();
}

void TraverseLogic::ChangeSetup(const TraverseSetup& setup) {
    if (!SamePoints(m_setup, setup)) {
        NewTraverse(setup);
        return;
    }
    m_setup = setup;
    emit Changed();
}

bool TraverseLogic::AnyRecorded() const {
    return std::any_of(m_records.begin(), m_records.end(),
                       [](const PointRecord& r) { return r.taken.has_value() || r.skipped; });
}

bool TraverseLogic::AllRecorded() const {
    return std::all_of(m_records.begin(), m_records.end(),
                       [](const PointRecord& r) { return r.taken.has_value() || r.skipped; });
}

void TraverseLogic::Select(int index) {
    if (index < 0 || index >= int(m_points.size()) || m_take)
        return;
    m_picked = true;
    if (index == m_current)
        return;
    m_current = index;
    emit Changed();
}

void TraverseLogic::SetMeterOnline(bool online) {
    m_online = online;
    if (!online && m_take)
        endTake(TakeEnd::Disconnected);
}

TakeStart TraverseLogic::StartTake() {
    if (m_take || m_points.empty())
        return TakeStart::Taking;
    if (!m_online)
        return TakeStart::Offline;
    if (!m_picked && AllRecorded())
        return TakeStart::AlreadyTaken;
    Take take;
    take.point = m_current;
    take.seconds = std::clamp(m_setup.takeSeconds, kMinTakeSeconds, kMaxTakeSeconds);
    take.endMs = m_clock.NowMs() + qint64(take.seconds) * 1000;
    m_take = take;
    m_lastSecondsLeft = SecondsLeft();
    m_clock.StartTicking();
    emit TakeProgress();
    return TakeStart::Started;
}

void TraverseLogic::CancelTake() {
    if (m_take)
        endTake(TakeEnd::Cancelled);
}

int TraverseLogic::SecondsLeft() const {
    if (!m_take)
        return 0;
    const qint64 left = m_take->endMs - m_clock.NowMs();
    return left <= 0 ? 0 : int((left + 999) / 1000);
}

double TraverseLogic::TakeAverage() const {
    return m_take && m_take->count > 0 ? m_take->sum / m_take->count : 0.0;
}

void TraverseLogic::ToggleSkip() {
    if (m_take || m_points.empty())
        return;
    const int point = m_current;
    PointRecord& r = m_records[std::size_t(point)];
    r.skipped = !r.skipped;
    if (r.skipped)
        moveToNextOpen();
    else
        m_picked = true; // taken back in: it may be taken
    emit PointRecorded(point);
    emit Changed();
}

void TraverseLogic::AcceptReading(const DecodedFrame& reading) {
    const bool flow = reading.kind == ReadingKind::Flow;
    const std::optional<MeterUnit> unit =
        reading.kind == ReadingKind::Velocity ? reading.unit : std::nullopt;
    if (unit)
        m_meterUnit = unit;
    if (!m_take || finishIfDue())
        return;
    if (flow) {
        endTake(TakeEnd::FlowReading);
        return;
    }
    if (!unit) {
        endTake(TakeEnd::UnknownUnit);
        return;
    }
    const double v = reading.value * SiPerUnit(*unit);
    Take& t = *m_take;
    t.minimum = t.count == 0 ? v : std::min(t.minimum, v);
    t.maximum = t.count == 0 ? v : std::max(t.maximum, v);
    t.sum += v;
    ++t.count;
    if (const std::optional<double> air = plainTemperature(reading)) {
        t.temperatureSum += *air;
        t.humiditySum += reading.humidity;
        ++t.airCount;
    } else if (reading.modeLabel && !reading.modeLabel->isEmpty()) {
        t.notPlain = true;
    }
    emit TakeProgress();
}

void TraverseLogic::onTick() {
    if (!m_take || finishIfDue())
        return;
    const int left = SecondsLeft();
    if (left != m_lastSecondsLeft) {
        m_lastSecondsLeft = left;
        emit TakeProgress();
    }
}

bool TraverseLogic::finishIfDue() {
    if (m_clock.NowMs() < m_take->endMs)
        return false;
    if (m_take->count == 0) {
        endTake(TakeEnd::NoReading);
        return true;
    }
    const Take& t = *m_take;
    PointRecord& r = m_records[std::size_t(t.point)];
    PointMeasurement m;
    m.average = t.sum / t.count;
    m.minimum = t.minimum;
    m.maximum = t.maximum;
    m.count = t.count;
    m.takeSeconds = t.seconds;
    m.takenAt = m_now();
    // The meter's air only when every reading of the take had it.
    if (t.airCount == t.count) {
        m.temperatureC = t.temperatureSum / t.airCount;
        m.humidity = t.humiditySum / t.airCount;
    }
    m.notPlainAir = t.notPlain;
    r.taken = m;
    r.skipped = false;
    endTake(TakeEnd::Stored);
    return true;
}

void TraverseLogic::endTake(TakeEnd end) {
    const int point = m_take ? m_take->point : m_current;
    m_take.reset();
    m_clock.StopTicking();
    if (end == TakeEnd::Stored) {
        emit PointRecorded(point);
        m_picked = false;
        moveToNextOpen();
    }
    emit Changed();
    emit TakeEnded(end);
}

void TraverseLogic::moveToNextOpen() {
    const int n = int(m_points.size());
    for (int step = 1; step <= n; ++step) {
        const int i = (m_current + step) % n;
        const PointRecord& r = m_records[std::size_t(i)];
        if (!r.taken && !r.skipped) {
            m_current = i;
            return;
        }
    }
    // Everything is taken or skipped: just the next one down, if any.
    m_current = std::min(m_current + 1, n - 1);
}

MeterUnit TraverseLogic::ResultUnit() const {
    if (m_setup.resultUnit)
        return *m_setup.resultUnit;
    return m_meterUnit.value_or(MeterUnit::MetresPerSecond);
}

TraverseResults TraverseLogic::Results() const {
    return ComputeTraverseResults(m_setup, m_records);
}

QDateTime TraverseLogic::FirstTaken() const {
    QDateTime first;
    for (const PointRecord& r : m_records)
        if (r.taken && r.taken->takenAt.isValid() && (!first.isValid() || r.taken->takenAt < first))
            first = r.taken->takenAt;
    return first;
}

QDateTime TraverseLogic::LastTaken() const {
    QDateTime last;
    for (const PointRecord& r : m_records)
        if (r.taken && r.taken->takenAt.isValid() && (!last.isValid() || r.taken->takenAt > last))
            last = r.taken->takenAt;
    return last;
}
