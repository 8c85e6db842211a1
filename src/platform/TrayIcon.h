// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "platform/DBusMenuExporter.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <memory>

class QSystemTrayIcon;
class StatusNotifierItem;

// The program's icon in the panel. It speaks StatusNotifierItem when a watcher with a host
// is there, and falls back to an XEmbed icon (QSystemTrayIcon) otherwise, moving to the
// StatusNotifierItem as soon as a watcher appears. It reports clicks already sorted into
// the two things the program does with them.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    enum class Backend { None, StatusNotifier, XEmbed };

    explicit TrayIcon(QObject *parent = nullptr);
    ~TrayIcon() override;

    void show();

    void setIcon(const QIcon &icon, const QString &description);
    // The short countdown: the label beside the icon where the host shows one. `guide` is
    // the widest text the label will need.
    void setCountdown(const QString &text, const QString &guide);
    // The text under "Corvane" when the pointer rests on the icon.
    void setToolTip(const QString &text);
    // The rows a host shows on right click. GNOME's extension gets none: there a menu
    // with rows would take every plain left click.
    void setMenu(const QList<DBusMenuEntry> &entries);

    Backend backend() const { return m_backend; }
    // Where the icon is on screen, as well as it is known: the point of the last click
    // from the host, the XEmbed icon's geometry, or the mouse.
    QRect anchorRect() const;
    // False while anchorRect() is only the mouse's position (no click from the host yet).
    bool knowsWhereTheIconIs() const;

Q_SIGNALS:
    // A plain click: open or close the panel.
    void clicked();
    // Alt+click, right click or middle click: start or stop a wake period.
    void quickToggleRequested();
    void backendChanged();
    // A row of the menu was chosen; `id` is the entry's.
    void menuTriggered(int id);
    // The host is about to show the menu.
    void menuAboutToShow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void useStatusNotifier(bool hosted);
    void publish();
    void onPrimary();
    void publishMenu();

    // The item's own connection: the name a host knows it by is held there.
    BusConnections m_buses;
    StatusNotifierItem *m_sni = nullptr;
    QSystemTrayIcon *m_xembed = nullptr;
    Backend m_backend = Backend::None;
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
