// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

class QLabel;
class Clock;
class WheelColumn;

// Two wheels, hours (0–48) and minutes (0–59), with a colon between them. The combination
// never rests above 48 hours 0 minutes: turning the hours to 48 clears the minutes, and
// turning the minutes off 0 while the hours stand at 48 (or above) brings them to 47.
class DurationWheelPicker : public QWidget {
    Q_OBJECT
public:
    explicit DurationWheelPicker(Clock &clock, QWidget *parent = nullptr);

    int hours() const;
    int minutes() const;
    // Values from outside (the stored settings): the wheels turn to them without a tick.
    // When both change together the hours are applied first.
    void setValue(int hours, int minutes);
    void setHours(int hours);
    void setMinutes(int minutes);

    QColor accent() const { return m_accent; }
    void setAccent(const QColor &accent);

    WheelColumn *hoursColumn() const { return m_hours; }
    WheelColumn *minutesColumn() const { return m_minutes; }

    QSize sizeHint() const override;

Q_SIGNALS:
    // Emitted once per real change of the combination, whoever made it.
    void valueChanged(int hours, int minutes);
    // The user turned or tapped a wheel to a new value: the place for a haptic tick.
    void ticked();

private:
    void hoursChanged(int hours);
    void minutesChanged(int minutes);
    void announce();

    QColor m_accent;
    WheelColumn *m_hours;
    WheelColumn *m_minutes;
    QLabel *m_separator;
    int m_depth = 0; // > 0 while the limit corrects one wheel from the other's change
    int m_announcedHours;
    int m_announcedMinutes;
};
