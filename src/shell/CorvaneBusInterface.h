// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDateTime>
#include <QObject>
#include <QTimer>

class CorvaneTimerService;

// The public face of a running Corvane on the session bus (app.corvane.Corvane, described
// in packaging/app.corvane.Corvane.xml): the timer service's operations and state, no
// logic of its own. Properties announce a change only when their value really changes,
// several changes of one moment in one PropertiesChanged.
class CorvaneBusInterface : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ active)
    Q_PROPERTY(qlonglong RemainingSeconds READ remainingSeconds)
    Q_PROPERTY(QString EndTime READ endTime)
    Q_PROPERTY(QString Mode READ mode)
    Q_PROPERTY(QString HeldBy READ heldBy)
    Q_PROPERTY(bool AssertionFailed READ assertionFailed)

public:
    static inline const QString interfaceName = QStringLiteral("app.corvane.Corvane");

    explicit CorvaneBusInterface(CorvaneTimerService &timer, QObject *parent = nullptr);
    ~CorvaneBusInterface() override;

    // Serves the interface on `bus` at the single instance's object path.
    bool publish(QDBusConnection bus);

    bool active() const;
    qlonglong remainingSeconds() const;
    QString endTime() const;
    QString mode() const;
    QString heldBy() const;
    bool assertionFailed() const;
    // Every property above by its name on the bus.
    QVariantMap properties() const;

public Q_SLOTS:
    void Start(uint minutes);
    void Stop();
    void Toggle();
    void SetMode(const QString &mode);
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
    };
    Snapshot snapshot() const;
    void refreshEnd() const;
    void announce();

    CorvaneTimerService &m_timer;
    QDBusConnection m_bus{QString()};
    Snapshot m_announced;
    // Derived from the countdown, so it could move by a second from tick to tick; kept
    // until it really moves (a longer period, the wall clock set).
    mutable QDateTime m_end;
    QTimer m_coalesce;
};
