#pragma once

#include <QObject>
#include <QVariantMap>

// System-wide sleep and power events, delivered on the main thread. On Linux they come
// from logind on the system bus.
class SystemEvents : public QObject {
    Q_OBJECT
public:
    // The program's instance, created on first use on the main thread.
    static SystemEvents &shared();

    // Listens to logind when `listen` is true; a silent instance is for tests that emit
    // the signals themselves.
    explicit SystemEvents(bool listen, QObject *parent = nullptr);

Q_SIGNALS:
    // The machine has resumed from suspend or hibernation.
    void didWake();
    // The machine is about to power off or reboot; once per power-off, even when logind
    // announces it both with and without metadata.
    void willPowerOff();
    // A power-off announced by willPowerOff() was called off.
    void powerOffCancelled();

private Q_SLOTS:
    void onPrepareForSleep(bool entering);
    void onPrepareForShutdown(bool entering);
    void onPrepareForShutdownWithMetadata(bool entering, const QVariantMap &metadata);

private:
    bool m_poweringOff = false;
};
