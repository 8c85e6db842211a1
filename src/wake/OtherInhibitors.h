// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

// The other applications keeping this computer awake, where the system lists them (logind's
// locks, GNOME's session inhibitors), as "who: why". refresh() asks again without waiting;
// changed() tells when the answer differs.
class OtherInhibitors : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void refresh() = 0;
    QStringList list() const { return m_list; }

Q_SIGNALS:
    void changed();

protected:
    void setList(const QStringList &list)
    {
        if (list == m_list)
            return;
        m_list = list;
        Q_EMIT changed();
    }

private:
    QStringList m_list;
};
