// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "platform/StatusNotifierTypes.h"

#include <QDBusContext>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QPoint>

class DBusMenuExporter;
class QDBusServiceWatcher;
class QTimer;

// Our tray item on the session bus. Hosts (Plasma, XFCE, GNOME's AppIndicator extension)
// find it through the StatusNotifierWatcher; when the watcher restarts, or the session bus
// itself is replaced, we register again. Every setter publishes only a real change, so a
// countdown that shows the same text for a minute sends nothing.
// The properties, methods and signals in capitals are the org.kde.StatusNotifierItem
// interface, served by the adaptor generated from org.kde.StatusNotifierItem.xml.
class StatusNotifierItem : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ noName)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(SniIconPixmapList IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(SniIconPixmapList OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(SniIconPixmapList AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ noName)
    Q_PROPERTY(SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menuPath)
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide)
    Q_PROPERTY(uint XAyatanaOrderingIndex READ orderingIndex)

public:
    // How long a registered item may wait for a host to read its icon before it registers
    // again: GNOME's extension can drop an item it failed to read and never ask again.
    static constexpr int hostReadTimeoutMs = 3000;
    static constexpr int maxRegistrations = 5;
    // Between attempts when the watcher is there but its answer did not come.
    static constexpr int retryDelayMs = 1000;

    StatusNotifierItem(BusConnections &buses, const QString &id, QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    // Exports the item and registers it with the watcher, if one runs.
    bool start();
    // A watcher runs, a host is registered with it, and it accepted our item.
    bool isHosted() const { return m_hosted; }
    QString serviceName() const { return m_serviceName; }
    // The menu behind the item's `Menu` property, exported with the item.
    DBusMenuExporter &menu() const { return *m_menu; }
    // The host is GNOME Shell's AppIndicator extension: it opens a menu with rows on a
    // plain left click and sends Activate only for double clicks once one was accepted.
    bool hostIsGnomeShell() const { return m_hostIsGnomeShell; }

    void setIcon(const QIcon &icon);
    void setTitle(const QString &title);
    void setToolTip(const QString &title, const QString &text);
    void setLabel(const QString &label, const QString &guide);

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return m_id; }
    QString title() const { return m_title; }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString noName() const { return {}; }
    // Hosts that prefer a theme name read it first; reading it still means drawing us.
    QString iconName();
    SniIconPixmapList iconPixmap();
    SniIconPixmapList noPixmaps() const { return {}; }
    SniToolTip toolTip() const;
    bool itemIsMenu() const { return false; }
    // A real menu always: GNOME's extension treats "/NO_DBUSMENU" as no menu path and
    // keeps re-reading the item, which can drop it.
    QDBusObjectPath menuPath() const;
    QString label() const { return m_label; }
    QString labelGuide() const { return m_labelGuide; }
    uint orderingIndex() const { return 0; }

    // Calls from the host, with the click position in screen coordinates.
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void XAyatanaSecondaryActivate(uint timestamp);
    void ContextMenu(int x, int y);
    void Scroll(int, const QString &) {}
    void ProvideXdgActivationToken(const QString &) {}

Q_SIGNALS:
    void activated(QPoint at);
    void secondaryActivated(QPoint at);
    void contextMenuRequested(QPoint at);
    void hostedChanged(bool hosted);
    // Each attempt to register has its answer, hosted or not.
    void registrationAnswered();
    void hostIsGnomeShellChanged();

    // Relayed to the bus by the adaptor.
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString &status);
    void XAyatanaNewLabel(const QString &label, const QString &guide);

private Q_SLOTS:
    void registerWithWatcher();

private:
    QDBusConnection bus() const { return m_buses.connection(BusConnections::Bus::Session); }
    bool exportOn(QDBusConnection connection);
    void setHosted(bool hosted);
    void checkWatcherOwner();
    void retryWhileWatcherRuns();
    void noteIconRead();
    void secondaryActivate(QPoint at, bool ayatana);

    BusConnections &m_buses;
    QString m_id;
    QString m_serviceName;
    QString m_title;
    QString m_toolTipTitle;
    QString m_toolTipText;
    QString m_label;
    QString m_labelGuide;
    SniIconPixmapList m_pixmaps;
    bool m_hosted = false;
    bool m_started = false;
    bool m_iconRead = false;
    bool m_hostIsGnomeShell = false;
    int m_registrations = 0;
    DBusMenuExporter *m_menu = nullptr;
    QTimer *m_hostReadTimer = nullptr;
    QDBusServiceWatcher *m_watcher = nullptr;
    QElapsedTimer m_lastAyatanaSecondary;
};
