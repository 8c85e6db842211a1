#include "platform/XdgAutostart.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace {
QString userAutostartDir()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return {};
    return config + QStringLiteral("/autostart");
}

// The value of `key` in the [Desktop Entry] group; absent keys read as empty.
QString entryValue(const QByteArray &text, const QByteArray &key)
{
    bool inMainGroup = false;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup || line.startsWith('#'))
            continue;
        const int equals = line.indexOf('=');
        if (equals > 0 && line.left(equals).trimmed() == key)
            return QString::fromUtf8(line.mid(equals + 1).trimmed());
    }
    return {};
}
} // namespace

XdgAutostart::XdgAutostart() : XdgAutostart(userAutostartDir(), runningProgram()) {}

XdgAutostart::XdgAutostart(QString autostartDir, QString program)
    : m_dir(std::move(autostartDir)), m_program(std::move(program))
{
}

QString XdgAutostart::entryPath() const
{
    return m_dir + QLatin1Char('/') + fileName;
}

QString XdgAutostart::runningProgram()
{
    // Inside an AppImage the binary lives in a mount that is gone after logout.
    const QString appImage = qEnvironmentVariable("APPIMAGE");
    if (!appImage.isEmpty() && QFileInfo(appImage).isFile())
        return QFileInfo(appImage).absoluteFilePath();
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return self.isEmpty() ? QCoreApplication::applicationFilePath() : self;
}

QString XdgAutostart::execValue(const QString &program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = program.isEmpty();
    for (const QChar c : program)
        needsQuotes = needsQuotes || reserved.contains(c);

    QString argument;
    if (needsQuotes) {
        argument += QLatin1Char('"');
        for (const QChar c : program) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                argument += QLatin1Char('\\');
            argument += c;
        }
        argument += QLatin1Char('"');
    } else {
        argument = program;
    }

    // GLib looks argv[0] up before it turns "%%" back into "%", so it would never start
    // a program whose path has a percent sign; env takes the path as an argument instead,
    // where "%%" is expanded.
    if (program.contains(QLatin1Char('%')))
        argument = QStringLiteral("/usr/bin/env ") + argument;

    // Then the rules every string value follows, and field codes.
    QString value;
    for (const QChar c : argument) {
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            value += QStringLiteral("\\r");
        else if (c == QLatin1Char('%'))
            value += QStringLiteral("%%");
        else
            value += c;
    }
    return value;
}

QByteArray XdgAutostart::entryText(const QString &program)
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Corvane\n"
                                  "Comment=Keeps this computer awake\n"
                                  "Exec=%1\n"
                                  "Terminal=false\n"
                                  "NoDisplay=true\n"
                                  "X-GNOME-Autostart-enabled=true\n")
                       .arg(execValue(program));
    return text.toUtf8();
}

LoginItemBackend::Status XdgAutostart::status() const
{
    if (m_dir.isEmpty() || m_program.isEmpty())
        return Status::notFound;
    QFile file(entryPath());
    if (!file.exists())
        return Status::notRegistered;
    if (!file.open(QIODevice::ReadOnly))
        return Status::notFound;
    const QByteArray text = file.read(64 * 1024);
    if (entryValue(text, "Hidden") == QLatin1String("true")
        || entryValue(text, "X-GNOME-Autostart-enabled") == QLatin1String("false"))
        return Status::requiresApproval;
    return Status::enabled;
}

bool XdgAutostart::registerItem()
{
    if (m_dir.isEmpty() || m_program.isEmpty() || !QDir().mkpath(m_dir))
        return false;
    // Written aside and renamed over, so a crash leaves the old entry or the new one.
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(entryText(m_program));
    return file.commit();
}

bool XdgAutostart::unregisterItem()
{
    QFile file(entryPath());
    return !file.exists() || file.remove();
}

void XdgAutostart::openSettings()
{
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower();
    QList<QStringList> candidates;
    if (desktop.contains(QLatin1String("kde")))
        candidates << QStringList{QStringLiteral("systemsettings"), QStringLiteral("kcm_autostart")}
                   << QStringList{QStringLiteral("kcmshell6"), QStringLiteral("kcm_autostart")}
                   << QStringList{QStringLiteral("kcmshell5"), QStringLiteral("autostart")};
    if (desktop.contains(QLatin1String("xfce")))
        candidates << QStringList{QStringLiteral("xfce4-session-settings")};
    if (desktop.contains(QLatin1String("gnome")))
        candidates << QStringList{QStringLiteral("gnome-tweaks")};
    for (const QStringList &candidate : candidates) {
        const QString program = QStandardPaths::findExecutable(candidate.first());
        if (!program.isEmpty() && QProcess::startDetached(program, candidate.mid(1)))
            return;
    }
    QDir().mkpath(m_dir);
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_dir));
}
