// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ShortcutNotation.h"

#include <QKeySequence>
#include <QRegularExpression>
#include <QStringList>

#include <array>
#include <utility>

namespace {

constexpr Qt::KeyboardModifiers known = Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier;

// Keys whose keysym name is not their own text.
constexpr std::array<std::pair<Qt::Key, const char *>, 38> named{{
    {Qt::Key_Space, "space"},
    {Qt::Key_Return, "Return"},
    {Qt::Key_Enter, "KP_Enter"},
    {Qt::Key_Tab, "Tab"},
    {Qt::Key_Escape, "Escape"},
    {Qt::Key_Backspace, "BackSpace"},
    {Qt::Key_Delete, "Delete"},
    {Qt::Key_Insert, "Insert"},
    {Qt::Key_Home, "Home"},
    {Qt::Key_End, "End"},
    {Qt::Key_PageUp, "Page_Up"},
    {Qt::Key_PageDown, "Page_Down"},
    {Qt::Key_Left, "Left"},
    {Qt::Key_Right, "Right"},
    {Qt::Key_Up, "Up"},
    {Qt::Key_Down, "Down"},
    {Qt::Key_Print, "Print"},
    {Qt::Key_Pause, "Pause"},
    {Qt::Key_ScrollLock, "Scroll_Lock"},
    {Qt::Key_Menu, "Menu"},
    {Qt::Key_Minus, "minus"},
    {Qt::Key_Plus, "plus"},
    {Qt::Key_Equal, "equal"},
    {Qt::Key_Comma, "comma"},
    {Qt::Key_Period, "period"},
    {Qt::Key_Slash, "slash"},
    {Qt::Key_Backslash, "backslash"},
    {Qt::Key_Semicolon, "semicolon"},
    {Qt::Key_Apostrophe, "apostrophe"},
    {Qt::Key_BracketLeft, "bracketleft"},
    {Qt::Key_BracketRight, "bracketright"},
    {Qt::Key_QuoteLeft, "grave"},
    {Qt::Key_Asterisk, "asterisk"},
    {Qt::Key_NumberSign, "numbersign"},
    {Qt::Key_MediaPlay, "XF86AudioPlay"},
    {Qt::Key_MediaPause, "XF86AudioPause"},
    {Qt::Key_MediaStop, "XF86AudioStop"},
    {Qt::Key_Launch0, "XF86Launch0"},
}};

} // namespace

QKeyCombination ShortcutNotation::fromPortableText(const QString &text)
{
    const QKeySequence sequence = QKeySequence::fromString(text.trimmed(), QKeySequence::PortableText);
    if (sequence.count() != 1)
        return QKeyCombination(Qt::Key_unknown);
    const QKeyCombination keys = sequence[0];
    if (keys.keyboardModifiers() & ~known)
        return QKeyCombination(Qt::Key_unknown);
    return keys;
}

QString ShortcutNotation::toPortableText(QKeyCombination keys)
{
    if (!isValid(keys))
        return {};
    return QKeySequence(keys).toString(QKeySequence::PortableText);
}

QString ShortcutNotation::keysymName(Qt::Key key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QChar(key - Qt::Key_A + 'a'));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return QString(QChar(key - Qt::Key_0 + '0'));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    for (const auto &[k, name] : named) {
        if (k == key)
            return QString::fromLatin1(name);
    }
    return {};
}

Qt::Key ShortcutNotation::keyForKeysymName(const QString &name)
{
    if (name.size() == 1) {
        const QChar c = name.at(0).toLower();
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            return Qt::Key(Qt::Key_A + (c.unicode() - 'a'));
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            return Qt::Key(Qt::Key_0 + (c.unicode() - '0'));
    }
    static const QRegularExpression function(QStringLiteral("^F([1-9]|[12][0-9]|3[0-5])$"));
    if (const QRegularExpressionMatch m = function.match(name); m.hasMatch())
        return Qt::Key(Qt::Key_F1 + m.captured(1).toInt() - 1);
    for (const auto &[k, keysym] : named) {
        if (name.compare(QLatin1String(keysym), Qt::CaseInsensitive) == 0)
            return k;
    }
    return Qt::Key_unknown;
}

QString ShortcutNotation::toAccelerator(QKeyCombination keys, Accelerator style)
{
    const QString key = isValid(keys) ? keysymName(keys.key()) : QString();
    if (key.isEmpty())
        return {};
    QString text;
    const Qt::KeyboardModifiers m = keys.keyboardModifiers();
    if (m & Qt::ControlModifier)
        text += style == Accelerator::Xfce ? QStringLiteral("<Primary>") : QStringLiteral("<Control>");
    if (m & Qt::ShiftModifier)
        text += QStringLiteral("<Shift>");
    if (m & Qt::AltModifier)
        text += QStringLiteral("<Alt>");
    if (m & Qt::MetaModifier)
        text += QStringLiteral("<Super>");
    return text + key;
}

QString ShortcutNotation::toPortalTrigger(QKeyCombination keys)
{
    const QString key = isValid(keys) ? keysymName(keys.key()) : QString();
    if (key.isEmpty())
        return {};
    QStringList parts;
    const Qt::KeyboardModifiers m = keys.keyboardModifiers();
    if (m & Qt::ControlModifier)
        parts << QStringLiteral("CTRL");
    if (m & Qt::AltModifier)
        parts << QStringLiteral("ALT");
    if (m & Qt::ShiftModifier)
        parts << QStringLiteral("SHIFT");
    if (m & Qt::MetaModifier)
        parts << QStringLiteral("LOGO");
    return (parts << key).join(QLatin1Char('+'));
}

QKeyCombination ShortcutNotation::fromAccelerator(const QString &accelerator)
{
    static const QRegularExpression modifier(QStringLiteral("^<([A-Za-z0-9_]+)>"));
    QString rest = accelerator.trimmed();
    Qt::KeyboardModifiers m;
    for (QRegularExpressionMatch match = modifier.match(rest); match.hasMatch(); match = modifier.match(rest)) {
        const QString name = match.captured(1).toLower();
        if (name == QLatin1String("control") || name == QLatin1String("ctrl") || name == QLatin1String("ctl")
            || name == QLatin1String("primary"))
            m |= Qt::ControlModifier;
        else if (name == QLatin1String("shift") || name == QLatin1String("shft"))
            m |= Qt::ShiftModifier;
        else if (name == QLatin1String("alt") || name == QLatin1String("mod1"))
            m |= Qt::AltModifier;
        else if (name == QLatin1String("super") || name == QLatin1String("meta") || name == QLatin1String("mod4"))
            m |= Qt::MetaModifier;
        else
            return QKeyCombination(Qt::Key_unknown);
        rest = rest.mid(match.capturedLength());
    }
    const Qt::Key key = keyForKeysymName(rest);
    if (key == Qt::Key_unknown)
        return QKeyCombination(Qt::Key_unknown);
    return QKeyCombination(m, key);
}
