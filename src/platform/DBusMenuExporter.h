// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DBusMenuTypes.h"

#include <QDBusConnection>
#include <QDBusVariant>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// One row of an exported menu. Ids are the caller's, positive and stable, so a host that
// sends an event for a row it showed a moment ago still reaches the same action.
struct DBusMenuEntry {
    enum class Check { None, Checkmark, Radio };
    int id = 0;
    QString label; // empty with `separator`
    bool separator = false;
    bool enabled = true;
    Check check = Check::None;
    bool checked = false;

    friend bool operator==(const DBusMenuEntry &, const DBusMenuEntry &) = default;
};

// A flat menu served over com.canonical.dbusmenu, the protocol behind a StatusNotifierItem's
// `Menu` property: XFCE's status tray shows it on right click, GNOME's AppIndicator
// extension and Plasma too. Hosts cache the layout and ask again only after LayoutUpdated,
// so a change is announced only when some row really changed.
// The properties, methods and signals in capitals are the protocol, served by the adaptor
// generated from com.canonical.dbusmenu.xml.
class DBusMenuExporter : public QObject {
    Q_OBJECT
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    static inline const QString objectPath = QStringLiteral("/MenuBar");

    explicit DBusMenuExporter(QObject *parent = nullptr);

    bool exportOn(QDBusConnection bus);
    void unexport(QDBusConnection bus);
    void setEntries(const QList<DBusMenuEntry> &entries);
    QList<DBusMenuEntry> entries() const { return m_entries; }

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

    uint GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames, DBusMenuLayoutItem &layout);
    DBusMenuItemPropertiesList GetGroupProperties(const QList<int> &ids, const QStringList &propertyNames);
    QDBusVariant GetProperty(int id, const QString &name);
    void Event(int id, const QString &eventId, const QDBusVariant &data, uint timestamp);
    QList<int> EventGroup(const DBusMenuEventList &events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors);

Q_SIGNALS:
    // A row was chosen in the host's menu.
    void triggered(int id);
    // The host is about to show the menu: a last chance to bring the rows up to date.
    void aboutToShow();

    // Relayed to the bus by the adaptor.
    void ItemsPropertiesUpdated(const DBusMenuItemPropertiesList &updatedProps,
                                const DBusMenuItemKeysList &removedProps);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    bool hasItem(int id) const;
    QVariantMap properties(int id, const QStringList &names) const;
    void handleEvent(int id, const QString &eventId);

    QList<DBusMenuEntry> m_entries;
    uint m_revision = 1;
};
