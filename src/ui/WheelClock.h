// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The time base of the wheels' motion. Frames are delivered only while some wheel is
// moving, so a resting picker costs no wake-ups. Tests derive from it and move time by
// hand instead of waiting.
class WheelClock : public QObject {
    Q_OBJECT
public:
    explicit WheelClock(QObject *parent = nullptr);

    // Seconds on a monotonic scale.
    virtual double now() const;

    // Reference-counted: frames keep coming while at least one holder wants them.
    void wantFrames();
    void stopWantingFrames();
    bool running() const { return m_wanted > 0; }

Q_SIGNALS:
    void frame();

protected:
    // Starts or stops the source of frames; the base class uses a 60 Hz precise timer.
    virtual void setRunning(bool running);

private:
    QElapsedTimer m_elapsed;
    QTimer m_timer;
    int m_wanted = 0;
};
