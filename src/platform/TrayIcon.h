// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AbstractTrayIcon.h"
#include "platform/BusConnections.h"
#include "platform/DBusMenuExporter.h"
#include "platform/TrayHostDetection.h"

#include <QPointer>
#include <memory>

class QSystemTrayIcon;
class StatusNotifierItem;

// The program's icon in the panel. It speaks StatusNotifierItem when a watcher with a host
// is there, and falls back to an XEmbed icon (QSystemTrayIcon) otherwise, moving to the
// StatusNotifierItem as soon as a watcher appears. It reports clicks already sorted into
// the two things the program does with them.
class TrayIcon : public AbstractTrayIcon {
    Q_OBJECT
public:
    enum class Backend { None, StatusNotifier, XEmbed };

    explicit TrayIcon(QObject *parent = nullptr);
    ~TrayIcon() override;

    void show() override;

    void setIcon(const QIcon &icon, const QString &description) override;
    void setCountdown(const QString &text, const QString &guide) override;
    void setToolTip(const QString &text) override;
    // GNOME's extension gets no rows: there a menu with rows would take every plain left
    // click.
    void setMenu(const QList<DBusMenuEntry> &entries) override;

    Backend backend() const { return m_backend; }
    Host host() const override { return m_host; }
    bool showsLabel() const override { return m_backend == Backend::StatusNotifier && m_hostShowsLabel; }
    QRect anchorRect() const override;
    // The XEmbed icon's geometry; around the point of the last click for a StatusNotifier
    // host, which tells where it was clicked but not how large the icon is.
    QRect pressArea() const override;

Q_SIGNALS:
    void backendChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // How long a start waits for a StatusNotifier watcher to appear before the icon goes to
    // the XEmbed tray, or counts as shown nowhere.
    static constexpr int startupWaitMs = 2000;

    void updateHost();
    void useStatusNotifier(bool hosted);
    void publish();
    void onPrimary();
    void publishMenu();

    // The item's own connection: the name a host knows it by is held there.
    BusConnections m_buses;
    StatusNotifierItem *m_sni = nullptr;
    QSystemTrayIcon *m_xembed = nullptr;
    Backend m_backend = Backend::None;
    Host m_host = Host::Unknown;
    TrayHostDetection::Seen m_seen;
    bool m_shown = false;
    QIcon m_icon;
    QString m_description;
    QString m_countdown;
    QString m_guide;
    QString m_toolTip;
    QList<DBusMenuEntry> m_menu;
    QPoint m_lastActivate;
    bool m_haveActivate = false;
    bool m_hostShowsLabel = true;
};
