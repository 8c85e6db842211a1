// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DBusMenuExporter.h"

#include <QIcon>
#include <QObject>
#include <QRect>

// The program's icon in the panel as its owner sees it: what it shows, where it is, and the
// clicks on it already sorted into what the program does with them. TrayIcon speaks to the
// real trays; a test drives its owner through a stand-in.
class AbstractTrayIcon : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // What shows the icon. Unknown while the icon still waits for a tray to answer; None
    // when neither a StatusNotifier host nor an XEmbed tray is there, so nothing shows it.
    enum class Host { Unknown, StatusNotifier, XEmbed, None };
    virtual Host host() const { return Host::Unknown; }
    // The host shows the countdown label beside the icon; it may change with host().
    virtual bool showsLabel() const { return false; }

    virtual void show() = 0;
    virtual void setIcon(const QIcon &icon, const QString &description) = 0;
    // The short countdown: the label beside the icon where the host shows one. `guide` is
    // the widest text the label will need.
    virtual void setCountdown(const QString &text, const QString &guide) = 0;
    // The text under the heading when the pointer rests on the icon.
    virtual void setToolTip(const QString &text) = 0;
    // The rows a host shows on right click, where it shows any.
    virtual void setMenu(const QList<DBusMenuEntry> &entries) = 0;

    // Where the icon is on screen, as well as it is known: the point of the last click
    // from the host, the icon's geometry, or the mouse.
    virtual QRect anchorRect() const = 0;
    // Where a press counts as one on the icon; empty while the icon's place is unknown.
    virtual QRect pressArea() const = 0;

Q_SIGNALS:
    // A plain click: open or close the panel.
    void clicked();
    // Alt+click, right click or middle click: start or stop a wake period.
    void quickToggleRequested();
    // A row of the menu was chosen; `id` is the entry's.
    void menuTriggered(int id);
    // The host is about to show the menu.
    void menuAboutToShow();
    // host() changed: a tray answered, came or went.
    void hostChanged();
};
