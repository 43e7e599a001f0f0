#pragma once

#include "traverse/TraverseResults.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class TraverseClock;
struct DecodedFrame;

// Why a take ended.
enum class TakeEnd {
    Stored,       // the take time ran out with readings: the point holds their average
    FlowReading,  // the meter sent an air flow reading
    UnknownUnit,  // a reading without a velocity unit
    NoReading,    // no reading arrived during the take time
    Disconnected, // the meter went offline (unplugged, port closed) during the take
    Cancelled,    // the user stopped it, or the window closed
};

// What the user is told when a take ends without storing (empty for Stored and Cancelled).
QString TakeEndMessage(TakeEnd end);

// Whether a take started, or why not.
enum class TakeStart {
    Started,
    Taking,       // one runs already
    Offline,      // the meter is not connected: said at once, not after the take time
    AlreadyTaken, // every point is recorded and the current one was not picked by the user
};
// What the user is told when a take does not start (empty for Started and Taking).
QString TakeStartMessage(TakeStart start);

// A traverse without widgets: its setup and points, the record of every point, the point to take
// next and the take that may be running.
//
// A take averages the velocity readings that arrive while the take time runs on the clock; on
// each tick and before each reading it looks whether the time is up. When it is, the point gets
// the readings' average, minimum, maximum and count, the take time, when it ended and the mean of
// the meter's plain temperature and humidity, and the next point that is neither taken nor
// skipped (after this one, then from the top) becomes current. A flow reading, a reading without
// a velocity unit, a take time without readings or the meter going offline stops the take and
// stores nothing: the point keeps what it had. A take does not start while the meter is offline,
// nor on a recorded point once all are recorded unless the user picked it.
class TraverseLogic : public QObject {
    Q_OBJECT
public:
    explicit TraverseLogic(TraverseClock& clock, QObject* parent = nullptr);
    // The wall clock a take's end is dated by (the system's by default).
    void SetWallClock(std::function<QDateTime()> now) { m_now = std::move(now); }
    ~TraverseLogic() override;

    // Starts afresh: the setup's points, none taken or skipped, the first current. Cancels a take.
    void NewTraverse(const TraverseSetup& setup);
    // A test kept elsewhere (a job file): its setup and records (as many as the setup's points;
    // missing ones are open), the unit of its results, the first open point current.
    void Restore(const TraverseSetup& setup, std::vector<PointRecord> records,
                 std::optional<MeterUnit> unit);
    // Takes a changed setup. Records stay when the points stay the same (design value, tolerance,
    // units of the results, take time); otherwise this is a new traverse.
    void ChangeSetup(const TraverseSetup& setup);

    const TraverseSetup& Setup() const { return m_setup; }
    const std::vector<TraversePoint>& Points() const { return m_points; }
    const std::vector<PointRecord>& Records() const { return m_records; }
    // Whether any point is taken or skipped.
    bool AnyRecorded() const;
    // Whether every point is taken or skipped.
    bool AllRecorded() const;
    int Current() const { return m_current; }
    // The user picks a point: it may be taken again even when all are recorded.
    void Select(int index);

    // Whether the meter is connected and in step. Going offline ends a running take (nothing
    // stored).
    void SetMeterOnline(bool online);
    bool MeterOnline() const { return m_online; }

    // Starts a take of the current point.
    TakeStart StartTake();
    void CancelTake();
    bool Taking() const { return m_take.has_value(); }
    // While taking: whole seconds left (rounded up), and the readings so far.
    int SecondsLeft() const;
    int TakeCount() const { return m_take ? m_take->count : 0; }
    double TakeAverage() const; // in m/s, 0 without readings

    // Leaves the current point out of the results, or takes it back in when it is skipped.
    // Skipping moves on to the next point.
    void ToggleSkip();

    // One reading from the reception path.
    void AcceptReading(const DecodedFrame& reading);

    // The velocity unit of the results: the setup's, or else the unit of the last velocity
    // reading seen, or m/s before any.
    MeterUnit ResultUnit() const;
    TraverseResults Results() const;
    // When the test was taken: the first and the last point's end (invalid before any).
    QDateTime FirstTaken() const;
    QDateTime LastTaken() const;

signals:
    // Points, records, the current point or the setup changed.
    void Changed();
    // The running take's countdown or average changed.
    void TakeProgress();
    void TakeEnded(TakeEnd end);
    // A take stored a point, or the point was skipped or taken back in (before Changed).
    void PointRecorded(int index);

private:
    struct Take {
        int point = 0;
        qint64 endMs = 0;
        double sum = 0;
        double minimum = 0;
        double maximum = 0;
        int count = 0;
        int seconds = 0;
        double temperatureSum = 0;
        double humiditySum = 0;
        int airCount = 0;
        bool notPlain = false;
    };
    void onTick();
    bool finishIfDue();
    void endTake(TakeEnd end);
    void moveToNextOpen();

    TraverseClock& m_clock;
    TraverseSetup m_setup;
    std::vector<TraversePoint> m_points;
    std::vector<PointRecord> m_records;
    int m_current = 0;
    bool m_picked = false;
    bool m_online = true;
    std::function<QDateTime()> m_now = [] {
        return QDateTime::currentDateTime();
    };
    std::optional<Take> m_take;
    int m_lastSecondsLeft = -1;
    std::optional<MeterUnit> m_meterUnit;
};
