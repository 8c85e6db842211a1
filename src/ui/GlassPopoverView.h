// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/GlassContainer.h"
#include "wake/AssertionMode.h"
#include "wake/WakeDuration.h"

#include <QColor>
#include <QDateTime>
#include <QLocale>
#include <QList>
#include <functional>

class Clock;
class CorvaneTimerService;
class EdgeTransition;
class PresetPill;
class ProgressBar;
class PulseDot;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class StatusChip;
class WakeSwitch;

// The panel's whole interface: header with the pulse dot and status chip, the countdown
// bar, the wake switch, the refusal banner, the six presets, the custom duration and the
// footer. It keeps no wake state of its own; it follows the timer service and forwards
// every action to it.
class GlassPopoverView : public GlassContainer {
    Q_OBJECT
public:
    GlassPopoverView(CorvaneTimerService &timer, Clock &clock, std::function<void()> onQuit, QWidget *parent = nullptr);

    // The two sections below the presets, built by their owners.
    void setCustomSection(QWidget *section);
    void setFooter(QWidget *footer);
    // A control at the header's far end, after the status chip and inside the card's padding:
    // the close control of the panel shown as a window of its own.
    void setHeaderControl(QWidget *control);

    // The tint of the interface: cyan while only the system is kept awake, amber otherwise.
    QColor accent() const;
    static QColor accentFor(AssertionMode mode);
    static QString presetTitle(WakeDuration preset);
    static QString subtitleFor(const CorvaneTimerService &timer);
    // "Until 21:40", "Until tomorrow 21:40" or, further ahead, "Until Tue 21:40".
    static QString endTimeText(const QDateTime &end, const QDateTime &now, const QLocale &locale);

    // For tests and the gallery.
    WakeSwitch *wakeSwitch() const { return m_switch; }
    StatusChip *statusChip() const { return m_chip; }
    ProgressBar *progressBar() const { return m_progress; }
    QWidget *failureBanner() const { return m_banner; }
    const EdgeTransition &progressTransition() const { return *m_progressTransition; }
    const EdgeTransition &bannerTransition() const { return *m_bannerTransition; }
    PulseDot *pulseDot() const { return m_dot; }
    const QList<PresetPill *> &pills() const { return m_pills; }

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

private:
    void refresh();
    void toggleWake();
    void choosePreset(WakeDuration preset);

    CorvaneTimerService &m_timer;
    std::function<void()> m_onQuit;
    QVBoxLayout *m_layout = nullptr;
    PulseDot *m_dot = nullptr;
    StatusChip *m_chip = nullptr;
    QHBoxLayout *m_headerRow = nullptr;
    ProgressBar *m_progress = nullptr;
    QWidget *m_progressSlot = nullptr;
    EdgeTransition *m_progressTransition = nullptr;
    WakeSwitch *m_switch = nullptr;
    QWidget *m_banner = nullptr;
    QLabel *m_bannerIcon = nullptr;
    EdgeTransition *m_bannerTransition = nullptr;
    QList<PresetPill *> m_pills;
    QWidget *m_customSlot = nullptr;
    QWidget *m_divider = nullptr;
    QWidget *m_footerSlot = nullptr;
};
