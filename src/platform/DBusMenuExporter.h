// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DBusMenuTypes.h"

#include <QList>
#include <QObject>
#include <QString>

class DBusMenuAdaptor;

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
class DBusMenuExporter : public QObject {
    Q_OBJECT
public:
    static inline const QString objectPath = QStringLiteral("/MenuBar");

    explicit DBusMenuExporter(QObject *parent = nullptr);

    bool exportOn(const QString &busAddressName = {});
    void setEntries(const QList<DBusMenuEntry> &entries);
    QList<DBusMenuEntry> entries() const { return m_entries; }

    // Read by the adaptor.
    uint revision() const { return m_revision; }
    DBusMenuLayoutItem layout(int parentId, const QStringList &names) const;
    bool hasItem(int id) const;
    QVariantMap properties(int id, const QStringList &names) const;
    void handleEvent(int id, const QString &eventId);

Q_SIGNALS:
    // A row was chosen in the host's menu.
    void triggered(int id);
    // The host is about to show the menu: a last chance to bring the rows up to date.
    void aboutToShow();

private:
    DBusMenuAdaptor *m_adaptor = nullptr;
    QList<DBusMenuEntry> m_entries;
    uint m_revision = 1;
};
