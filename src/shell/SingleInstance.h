#pragma once

#include <QDBusConnection>
#include <QObject>

// One Corvane per user session. The first instance owns a well-known name on the session
// bus and serves ShowPanel(); a later launch finds the name taken, asks the running one to
// open its panel and ends.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.corvane.Corvane")

public:
    static inline const QString serviceName = QStringLiteral("app.corvane.Corvane");
    static inline const QString objectPath = QStringLiteral("/app/corvane/Corvane");

    explicit SingleInstance(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is to run: it now owns the name, or there is no session bus
    // to ask (then nothing can be enforced).
    bool claim();
    // Asks the instance that owns the name to open its panel; waits a little at most.
    bool showRunningPanel();

public Q_SLOTS:
    Q_SCRIPTABLE void ShowPanel();

Q_SIGNALS:
    void showPanelRequested();

private:
    QDBusConnection m_bus;
    bool m_registered = false;
};
