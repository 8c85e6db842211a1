// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <memory>

class CallerHolds;
class CorvaneTimerService;
class TriggerSettings;

// The public face of a running Corvane on the session bus (app.corvane.Corvane, described
// in packaging/app.corvane.Corvane.xml): the timer service's operations and state, no
// logic of its own. Properties announce a change only when their value really changes,
// several changes of one moment in one PropertiesChanged. A call that starts a period is
// answered once the system has answered it: with an error unless the computer is then kept
// awake, so a caller never reports a state its request has not reached.
class CorvaneBusInterface : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(bool Active READ active)
    Q_PROPERTY(qlonglong RemainingSeconds READ remainingSeconds)
    Q_PROPERTY(QString EndTime READ endTime)
    Q_PROPERTY(QString Mode READ mode)
    Q_PROPERTY(QString HeldBy READ heldBy)
    Q_PROPERTY(bool AssertionFailed READ assertionFailed)
    Q_PROPERTY(bool Held READ held)
    Q_PROPERTY(QString Trigger READ trigger)

public:
    static inline const QString interfaceName = QStringLiteral("app.corvane.Corvane");
    // A start that did not end with the computer kept awake: refused, or ended first.
    static inline const QString notAwakeError = QStringLiteral("app.corvane.Corvane.Error.NotAwake");

    explicit CorvaneBusInterface(CorvaneTimerService &timer, QObject *parent = nullptr);
    ~CorvaneBusInterface() override;

    // Where the trigger methods store the switches; without it (a command line serving the
    // interface) they are not supported.
    void setTriggerSettings(TriggerSettings *settings) { m_triggerSettings = settings; }
    // Serves the interface on `bus` at the single instance's object path.
    bool publish(QDBusConnection bus);

    bool active() const;
    qlonglong remainingSeconds() const;
    QString endTime() const;
    QString mode() const;
    QString heldBy() const;
    bool assertionFailed() const;
    bool held() const;
    QString trigger() const;
    // Every property above by its name on the bus.
    QVariantMap properties() const;
    // Holds for `caller` as Hold does for a caller on the bus: the command line serving the
    // interface itself holds for its own command this way. False without a bus.
    bool hold(const QString &caller);
    void release(const QString &caller);
    // Whether anyone on the bus holds the period.
    bool holdsAnyone() const;

public Q_SLOTS:
    void Start(uint minutes);
    void StartUntil(qlonglong end);
    void Stop();
    void Hold();
    void Release();
    void Toggle();
    void SetMode(const QString &mode);
    void SetWhileMediaPlays(bool on);
    void SetWhileRemoteSession(bool on);
    void SetWhileAppsRun(const QStringList &names);
    void ShowPanel();
    void Quit();

Q_SIGNALS:
    void showPanelRequested();
    // Once the call's reply has left.
    void quitRequested();

private:
    struct Snapshot {
        bool active = false;
        qlonglong remainingSeconds = 0;
        QString endTime;
        QString mode;
        QString heldBy;
        bool assertionFailed = false;
        bool held = false;
        QString trigger;
    };
    Snapshot snapshot() const;
    void refreshEnd() const;
    void announce();
    // The call being handled waits for a reply its caller is no longer on the bus to take:
    // the caller gave up on it, and it must take no effect. (A call sent without wanting a
    // reply, as `dbus-send` does, counts whoever sent it.)
    bool callerGaveUp();
    // Answers the call being handled once the start it made is decided.
    void answerWhenDecided();
    void onCallerLeft(const QString &caller);
    void answerWaiting();
    void answer(const QDBusMessage &call);
    // False, with an error for the caller, where there are no trigger settings to store.
    bool triggersSupported();

    CorvaneTimerService &m_timer;
    QDBusConnection m_bus{QString()};
    Snapshot m_announced;
    // Derived from the countdown, so it could move by a second from tick to tick; kept
    // until it really moves (a longer period, the wall clock set).
    mutable QDateTime m_end;
    QTimer m_coalesce;
    QList<QDBusMessage> m_waiting;
    // Who waits for an answer, and who made the start that is pending (with the timer's
    // number for it): should that caller leave first, its start is abandoned.
    QDBusServiceWatcher m_waitingCallers;
    QString m_startCaller;
    quint64 m_startSerial = 0;
    std::unique_ptr<CallerHolds> m_holds;
    TriggerSettings *m_triggerSettings = nullptr;
};
