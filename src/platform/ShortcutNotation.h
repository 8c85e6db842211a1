// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeyCombination>
#include <QString>

// One key combination in each notation a shortcut service speaks: Qt's portable text
// ("Ctrl+Alt+K", what the settings keep), GTK accelerators as GNOME writes them
// ("<Control><Alt>k") and as XFCE does ("<Primary><Alt>k"), the desktop portal's triggers
// ("CTRL+ALT+k"), kglobalaccel's Qt key codes, and the X keysym names a root-window grab
// looks up. A text that names no single key with known modifiers reads as an empty
// combination (key Qt::Key_unknown).
class ShortcutNotation {
public:
    enum class Accelerator { Gnome, Xfce };

    static QKeyCombination fromPortableText(const QString &text);
    static QString toPortableText(QKeyCombination keys);

    static QString toAccelerator(QKeyCombination keys, Accelerator style);
    // Either style, and the other spellings GTK accepts (<Ctrl>, <Primary>, <Mod1>, <Meta>).
    static QKeyCombination fromAccelerator(const QString &accelerator);

    // The portal's shortcut notation: "CTRL+ALT+k", "LOGO+F5".
    static QString toPortalTrigger(QKeyCombination keys);

    static int toKGlobalAccel(QKeyCombination keys) { return keys.toCombined(); }
    static QKeyCombination fromKGlobalAccel(int keys) { return QKeyCombination::fromCombined(keys); }

    // The keysym name of the key alone ("k", "F5", "space"); empty for a key without one.
    static QString keysymName(Qt::Key key);
    static Qt::Key keyForKeysymName(const QString &name);

    static bool isValid(QKeyCombination keys) { return keys.key() != Qt::Key_unknown && keys.key() != 0; }
};
