// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <memory>

class BusConnections;

// One Corvane per user session. The first instance owns a well-known name on the session
// bus, where it serves its public interface (CorvaneBusInterface) once it is built; a later
// launch finds the name taken and talks to the running one instead. When the session bus
// daemon is replaced, the owner takes the name again on the new one.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    static inline const QString serviceName = QStringLiteral("app.corvane.Corvane");
    static inline const QString objectPath = QStringLiteral("/app/corvane/Corvane");

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // The connection that owns the name, where the interface is to be served.
    QDBusConnection connection() const;

    // How the name is held. The tray takes it over from a command line holding it, which
    // gives way (and hands its period over); nobody takes it from a tray.
    enum class Claim { forTray, givingWayToTray };

    // True when this process is to run: it now owns the name, or there is no session bus
    // to ask (then nothing can be enforced).
    bool claim(Claim how = Claim::forTray);
    // Whether another process owns the name.
    bool isRunningElsewhere() const;
    // Calls `method` of the running instance's interface. The owner serves its object a
    // moment after taking the name, so an unknown object or method is asked again for a
    // few seconds. The answer is waited for `timeoutMs`, 3 s unless given.
    QDBusMessage callRunning(const QString &method, const QVariantList &args = {}, int timeoutMs = -1) const;
    // Reads every property of the running instance's interface; empty when there is none.
    QVariantMap runningProperties() const;
    // Asks the instance that owns the name to open its panel.
    bool showRunningPanel();

Q_SIGNALS:
    // The name is ours again on a replaced session bus: serve the interface on connection().
    void reclaimed();

private:
    bool claimOn(const QDBusConnection &connection);

    std::unique_ptr<BusConnections> m_buses;
    bool m_claimed = false;
    Claim m_how = Claim::forTray;
};
