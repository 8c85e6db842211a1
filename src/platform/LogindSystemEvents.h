#pragma once

#include "wake/SystemEvents.h"

#include <QVariantMap>

// Sleep and power-off as logind announces them on the system bus.
class LogindSystemEvents : public SystemEvents {
    Q_OBJECT
public:
    explicit LogindSystemEvents(QObject *parent = nullptr);

private Q_SLOTS:
    void onPrepareForSleep(bool entering);
    void onPrepareForShutdown(bool entering);
    void onPrepareForShutdownWithMetadata(bool entering, const QVariantMap &metadata);

private:
    // systemd 255 and later announce a power-off twice, with and without metadata.
    bool m_poweringOff = false;
};
