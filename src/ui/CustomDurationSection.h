// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/AnimatedValue.h"

#include <QColor>
#include <QWidget>
#include <memory>

class Clock;
class AnimationTimeline;
class CorvaneTimerService;
class DurationWheelPicker;
class QAbstractButton;
class SettingsStore;

// A duration of the user's own choosing, under the presets: a disclosure row that reads
// the stored custom duration, and, while expanded, the hour and minute wheels with a wide
// button that starts a wake period of exactly that length (48 hours at most).
//
// The stored hours and minutes are written only by the wheels; whatever else the settings
// hold (more than 48 hours, a negative number) is shown and started through the 48-hour cap
// and never rewritten here.
class CustomDurationSection : public QWidget {
    Q_OBJECT
public:
    static inline const QString hoursKey = QStringLiteral("corvane.customHours");
    static inline const QString minutesKey = QStringLiteral("corvane.customMinutes");
    static constexpr qint64 defaultHours = 2;
    static constexpr qint64 defaultMinutes = 30;
    static constexpr qint64 maxMinutes = 2880;
    static constexpr double disabledOpacity = 0.4;
    static constexpr double hiddenScale = 0.96;

    CustomDurationSection(CorvaneTimerService &timer, SettingsStore &settings, Clock &clock, QWidget *parent = nullptr);
    ~CustomDurationSection() override;

    qint64 customHours() const { return m_hours; }
    qint64 customMinutes() const { return m_minutes; }
    // hours × 60 + minutes, as stored.
    qint64 customTotal() const;
    // What the labels show and the button starts: the total, at least 0 and at most 48 h.
    qint64 effectiveMinutes() const;

    bool showCustom() const { return m_showCustom; }
    void setShowCustom(bool show);

    // The editor's look at the clock's current time: the chevron's turn in degrees (180
    // while expanded), and the editor's scale (anchored at its top) and opacity.
    double chevronDegrees() const;
    double editorScale() const;
    double editorOpacity() const;
    // Whether the editor still takes space and input: during its exit it is drawn but
    // lets clicks through, and once faded out it is hidden.
    bool isEditorShown() const;
    bool isEditorInteractive() const;

    QAbstractButton *disclosureRow() const { return m_row; }
    QAbstractButton *startButton() const { return m_start; }
    DurationWheelPicker *picker() const { return m_picker; }
    // The row's trailing text, the same duration as the button's.
    QString durationText() const;
    // 1.0, or 0.4 while there is nothing to start.
    double startOpacity() const;

Q_SIGNALS:
    void showCustomChanged(bool showCustom);

private:
    void pickerChanged(int hours, int minutes);
    void startCustom();
    void refreshLabels();
    void applyAccent();
    void onFrame();

    CorvaneTimerService &m_timer;
    SettingsStore &m_settings;
    Clock *m_clock;
    qint64 m_hours;
    qint64 m_minutes;
    bool m_showCustom = false;
    bool m_pushingToPicker = false;

    QAbstractButton *m_row = nullptr;
    QWidget *m_editor = nullptr;
    DurationWheelPicker *m_picker = nullptr;
    QAbstractButton *m_start = nullptr;
    class RevealEffect;
    RevealEffect *m_reveal = nullptr;
    AnimationTimeline *m_animation = nullptr;
    AnimatedValue m_chevron{0.0}; // 0 pointing down, 1 pointing up
    AnimatedValue m_presence{0.0}; // 0 gone, 1 fully in
};
