// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GnomeCustomKeybinding.h"

#include "platform/ShortcutNotation.h"
#include "wake/Logging.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

constexpr int timeoutMs = 5000;
const QString listKey = QStringLiteral("custom-keybindings");

// The shell's, the window manager's and the media keys' own shortcuts.
const QStringList builtInSchemas{
    QStringLiteral("org.gnome.desktop.wm.keybindings"),
    QStringLiteral("org.gnome.shell.keybindings"),
    QStringLiteral("org.gnome.mutter.keybindings"),
    QStringLiteral("org.gnome.mutter.wayland.keybindings"),
    QStringLiteral("org.gnome.settings-daemon.plugins.media-keys"),
};

struct Result {
    bool ok = false;
    QString output;
    QString error;
};

Result gsettings(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("gsettings"), arguments);
    Result result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.error = process.errorString();
        return result;
    }
    result.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    result.output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    result.error = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return result;
}

QString entrySchemaAt(const QString &path)
{
    return GnomeCustomKeybinding::entrySchema + QLatin1Char(':') + path;
}

// A GVariant string: gsettings would take some unquoted texts for other types.
QString quote(QString s)
{
    s.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString variantText(const QStringList &strings)
{
    if (strings.isEmpty())
        return QStringLiteral("@as []");
    QStringList quoted;
    for (const QString &s : strings)
        quoted << quote(s);
    return QLatin1Char('[') + quoted.join(QLatin1String(", ")) + QLatin1Char(']');
}

} // namespace

GnomeCustomKeybinding::GnomeCustomKeybinding(const QString &command, QObject *parent)
    : GlobalShortcut(parent),
      m_command(command)
{}

QStringList GnomeCustomKeybinding::parseStrings(const QString &variantText)
{
    static const QRegularExpression quoted(QStringLiteral(R"re('((?:[^'\\]|\\.)*)'|"((?:[^"\\]|\\.)*)")re"));
    static const QRegularExpression escape(QStringLiteral(R"(\\(.))"));
    QStringList strings;
    for (auto it = quoted.globalMatch(variantText); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QString s = m.captured(1).isNull() ? m.captured(2) : m.captured(1);
        strings << s.replace(escape, QStringLiteral("\\1"));
    }
    return strings;
}

QString GnomeCustomKeybinding::holderOf(QKeyCombination keys, const QStringList &entries)
{
    for (const QString &path : entries) {
        if (path == entryPath)
            continue;
        const Result binding = gsettings({QStringLiteral("get"), entrySchemaAt(path), QStringLiteral("binding")});
        const QStringList values = parseStrings(binding.output);
        if (!values.isEmpty() && ShortcutNotation::fromAccelerator(values.first()) == keys) {
            const QStringList name =
                parseStrings(gsettings({QStringLiteral("get"), entrySchemaAt(path), QStringLiteral("name")}).output);
            return name.value(0, path);
        }
    }
    for (const QString &schema : builtInSchemas) {
        const Result all = gsettings({QStringLiteral("list-recursively"), schema});
        if (!all.ok)
            continue; // not installed with this desktop
        for (const QString &line : all.output.split(QLatin1Char('\n'))) {
            const QStringList fields = line.split(QLatin1Char(' '));
            if (fields.size() < 3 || fields.at(1) == listKey)
                continue;
            const QStringList accelerators = parseStrings(line.section(QLatin1Char(' '), 2));
            for (const QString &accelerator : accelerators) {
                if (ShortcutNotation::fromAccelerator(accelerator) == keys)
                    return fields.at(1);
            }
        }
    }
    return {};
}

QString GnomeCustomKeybinding::bind(const QString &keys)
{
    const Result list = gsettings({QStringLiteral("get"), listSchema, listKey});
    if (!list.ok)
        return tr("GNOME's keyboard settings cannot be read (%1).").arg(list.error);
    QStringList entries = parseStrings(list.output);

    if (keys.isEmpty()) {
        if (entries.removeAll(entryPath) > 0) {
            const Result written = gsettings({QStringLiteral("set"), listSchema, listKey, variantText(entries)});
            if (!written.ok)
                return tr("GNOME's keyboard settings cannot be written (%1).").arg(written.error);
        }
        for (const QString &key : {QStringLiteral("name"), QStringLiteral("command"), QStringLiteral("binding")})
            gsettings({QStringLiteral("reset"), entrySchemaAt(entryPath), key});
        return {};
    }

    const QKeyCombination wanted = ShortcutNotation::fromPortableText(keys);
    const QString accelerator = ShortcutNotation::toAccelerator(wanted, ShortcutNotation::Accelerator::Gnome);
    if (accelerator.isEmpty())
        return tr("GNOME cannot use %1 as a shortcut.").arg(keys);
    const QString holder = holderOf(wanted, entries);
    if (!holder.isEmpty())
        return tr("%1 is already used by \u201c%2\u201d.").arg(keys, holder);

    // The entry is complete before the list names it, so gsd-media-keys never grabs half of it.
    const QList<std::pair<QString, QString>> values{{QStringLiteral("name"), tr("Corvane: Keep Awake On or Off")},
                                                    {QStringLiteral("command"), m_command},
                                                    {QStringLiteral("binding"), accelerator}};
    for (const auto &[key, value] : values) {
        const Result written = gsettings({QStringLiteral("set"), entrySchemaAt(entryPath), key, quote(value)});
        if (!written.ok)
            return tr("GNOME's keyboard settings cannot be written (%1).").arg(written.error);
    }
    if (!entries.contains(entryPath)) {
        entries << entryPath;
        const Result written = gsettings({QStringLiteral("set"), listSchema, listKey, variantText(entries)});
        if (!written.ok)
            return tr("GNOME's keyboard settings cannot be written (%1).").arg(written.error);
    }
    return {};
}
