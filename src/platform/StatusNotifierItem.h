// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/StatusNotifierTypes.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QPoint>

class DBusMenuExporter;
class QDBusServiceWatcher;
class QTimer;
class StatusNotifierItemAdaptor;

// Our tray item on the session bus. Hosts (Plasma, XFCE, GNOME's AppIndicator extension)
// find it through the StatusNotifierWatcher; when the watcher restarts we register again.
// Every setter publishes only a real change, so a countdown that shows the same text for
// a minute sends nothing.
class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    // How long a registered item may wait for a host to read its icon before it registers
    // again: GNOME's extension can drop an item it failed to read and never ask again.
    static constexpr int hostReadTimeoutMs = 3000;
    static constexpr int maxRegistrations = 5;
    // Between attempts when the watcher is there but its answer did not come.
    static constexpr int retryDelayMs = 1000;

    explicit StatusNotifierItem(const QString &id, QObject *parent = nullptr);
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

    // Read by the adaptor.
    QString id() const { return m_id; }
    QString title() const { return m_title; }
    SniIconPixmapList iconPixmaps() const { return m_pixmaps; }
    SniToolTip toolTip() const;
    QString label() const { return m_label; }
    QString labelGuide() const { return m_labelGuide; }
    // A host read what it needs to draw the item.
    void noteIconRead();
    // GNOME's extension stops passing single left clicks once an Activate succeeds; a
    // cancelled answer (which it ignores silently) keeps every click coming.
    bool shouldAnswerActivateAsCancelled(const QString &caller) const;

    // Called by the adaptor, with the click position in screen coordinates.
    void handleActivate(QPoint at);
    void handleSecondaryActivate(QPoint at, bool ayatana);
    void handleContextMenu(QPoint at);

Q_SIGNALS:
    void activated(QPoint at);
    void secondaryActivated(QPoint at);
    void contextMenuRequested(QPoint at);
    void hostedChanged(bool hosted);
    // Each attempt to register has its answer, hosted or not.
    void registrationAnswered();
    void hostIsGnomeShellChanged();

private Q_SLOTS:
    void registerWithWatcher();

private:
    void setHosted(bool hosted);
    void checkWatcherOwner();
    void retryWhileWatcherRuns();

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
    StatusNotifierItemAdaptor *m_adaptor = nullptr;
    DBusMenuExporter *m_menu = nullptr;
    QTimer *m_hostReadTimer = nullptr;
    QDBusServiceWatcher *m_watcher = nullptr;
    QElapsedTimer m_lastAyatanaSecondary;
};
