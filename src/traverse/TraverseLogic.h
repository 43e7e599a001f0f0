#pragma once

#include "traverse/TraverseResults.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class TraverseClock;
struct DecodedFrame;

// Why a take ended.
enum class TakeEnd {
    Stored,      // the take time ran out with readings: the point holds their average
    FlowReading, // the meter sent an air flow reading
    UnknownUnit, // a reading without a velocity unit
    NoReading,   // no reading arrived during the take time
    Cancelled,   // the user stopped it, or the window closed
};

// What the user is told when a take ends without storing (empty for Stored and Cancelled).
QString TakeEndMessage(TakeEnd end);

// A traverse without widgets: its setup and points, the record of every point, the point to take
// next and the take that may be running.
//
// A take averages the velocity readings that arrive while the take time runs on the clock; on
// each tick and before each reading it looks whether the time is up. When it is, the point gets
// the readings' average, minimum, maximum and count, and the next point that is neither taken nor
// skipped (after this one, then from the top) becomes current. A flow reading, a reading without
// a velocity unit or a take time without readings stops the take and stores nothing.
class TraverseLogic : public QObject {
    Q_OBJECT
public:
    explicit TraverseLogic(TraverseClock& clock, QObject* parent = nullptr);
    ~TraverseLogic() override;

    // Starts afresh: the setup's points, none taken or skipped, the first current. Cancels a take.
    void NewTraverse(const TraverseSetup& setup);
    // Takes a changed setup. Records stay when the points stay the same (design value, tolerance,
    // units of the results, take time); otherwise this is a new traverse.
    void ChangeSetup(const TraverseSetup& setup);

    const TraverseSetup& Setup() const { return m_setup; }
    const std::vector<TraversePoint>& Points() const { return m_points; }
    const std::vector<PointRecord>& Records() const { return m_records; }
    // Whether any point is taken or skipped.
    bool AnyRecorded() const;
    int Current() const { return m_current; }
    void Select(int index);

    // Starts a take of the current point; false while one runs.
    bool StartTake();
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

signals:
    // Points, records, the current point or the setup changed.
    void Changed();
    // The running take's countdown or average changed.
    void TakeProgress();
    void TakeEnded(TakeEnd end);

private:
    struct Take {
        int point = 0;
        qint64 endMs = 0;
        double sum = 0;
        double minimum = 0;
        double maximum = 0;
        int count = 0;
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
    std::optional<Take> m_take;
    int m_lastSecondsLeft = -1;
    std::optional<MeterUnit> m_meterUnit;
};
