// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/XdgAutostart.h"

#include "platform/DesktopEnvironment.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <sys/stat.h>
#include <utility>

namespace {
QString userAutostartDir()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return {};
    return config + QStringLiteral("/autostart");
}

// What is at `path`: S_IFREG, S_IFLNK, S_IFIFO, …, or 0 for nothing (or a dangling link
// when `follow` is set).
mode_t fileType(const QString &path, bool follow)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if ((follow ? ::stat(native.constData(), &info) : ::lstat(native.constData(), &info)) != 0)
        return 0;
    return info.st_mode & S_IFMT;
}

// The value of `key` in the [Desktop Entry] group; as in GLib, the last copy wins. Absent
// keys read as empty.
QString entryValue(const QByteArray &text, const QByteArray &key)
{
    QString value;
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
            value = QString::fromUtf8(line.mid(equals + 1).trimmed());
    }
    return value;
}

// The program an Exec value starts: its first argument with the string escapes and the
// quoting undone, or what /usr/bin/env is asked to start.
QString execProgram(const QString &exec)
{
    QString unescaped;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (c != u'\\' || i + 1 == exec.size()) {
            unescaped += c;
            continue;
        }
        const QChar next = exec[++i];
        unescaped += next == u's' ? u' ' : next == u'n' ? u'\n' : next == u't' ? u'\t' : next == u'r' ? u'\r' : next;
    }

    QStringList arguments;
    QString argument;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (quoted) {
            if (c == u'"')
                quoted = false;
            else
                argument += c == u'\\' && i + 1 < unescaped.size() ? unescaped[++i] : c;
        } else if (c == u'"') {
            quoted = inArgument = true;
        } else if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inArgument)
                arguments << std::exchange(argument, QString());
            inArgument = false;
        } else {
            argument += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments << argument;

    if (!arguments.isEmpty() && QFileInfo(arguments.first()).fileName() == u"env") {
        arguments.removeFirst();
        while (!arguments.isEmpty() && arguments.first().contains(u'='))
            arguments.removeFirst();
        if (!arguments.isEmpty())
            arguments.first().replace(QStringLiteral("%%"), QStringLiteral("%"));
    }
    return arguments.value(0);
}
} // namespace

XdgAutostart::XdgAutostart() : XdgAutostart(userAutostartDir(), runningProgram())
{}

XdgAutostart::XdgAutostart(QString autostartDir, QString program)
    : m_dir(std::move(autostartDir)),
      m_program(std::move(program))
{}

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
                                  "Exec=%1 --autostart\n"
                                  "Terminal=false\n"
                                  "NoDisplay=true\n"
                                  "X-GNOME-Autostart-enabled=true\n")
                       .arg(execValue(program));
    return text.toUtf8();
}

bool XdgAutostart::startsThisProgram(const QByteArray &entry) const
{
    QString named = execProgram(entryValue(entry, "Exec"));
    if (!named.contains(u'/'))
        named = QStandardPaths::findExecutable(named);
    const QString self = QFileInfo(m_program).canonicalFilePath();
    return !named.isEmpty() && !self.isEmpty() && QFileInfo(named).canonicalFilePath() == self;
}

LoginItemBackend::Status XdgAutostart::status() const
{
    if (m_dir.isEmpty() || m_program.isEmpty())
        return Status::notFound;
    // Read through a link, as the desktop does, but only ever a regular file: opening a FIFO
    // would block.
    if (fileType(entryPath(), true) != S_IFREG)
        return Status::notRegistered;
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return Status::notFound;
    const QByteArray text = file.read(64 * 1024);
    // Left behind by a copy of the program that has since moved, it starts nothing.
    if (!startsThisProgram(text))
        return Status::notRegistered;
    if (entryValue(text, "Hidden") == QLatin1String("true")
        || entryValue(text, "X-GNOME-Autostart-enabled") == QLatin1String("false"))
        return Status::requiresApproval;
    return Status::enabled;
}

bool XdgAutostart::registerItem()
{
    if (m_dir.isEmpty() || m_program.isEmpty() || !QDir().mkpath(m_dir))
        return false;
    // The entry is our own file: QSaveFile would write through a link (perhaps out of the
    // folder), so a link goes first, and so does a FIFO or device (only its name).
    const mode_t existing = fileType(entryPath(), false);
    if (existing != 0 && existing != S_IFREG && existing != S_IFDIR && !QFile::remove(entryPath()))
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
    // A link goes, never what it points at.
    const mode_t existing = fileType(entryPath(), false);
    return existing == 0 || QFile::remove(entryPath());
}

void XdgAutostart::openSettings()
{
    QList<QStringList> candidates;
    switch (DesktopEnvironment::current().kind()) {
    case DesktopEnvironment::Kind::Kde:
        candidates << QStringList{QStringLiteral("systemsettings"), QStringLiteral("kcm_autostart")}
                   << QStringList{QStringLiteral("kcmshell6"), QStringLiteral("kcm_autostart")}
                   << QStringList{QStringLiteral("kcmshell5"), QStringLiteral("autostart")};
        break;
    case DesktopEnvironment::Kind::Xfce: candidates << QStringList{QStringLiteral("xfce4-session-settings")}; break;
    case DesktopEnvironment::Kind::Gnome: candidates << QStringList{QStringLiteral("gnome-tweaks")}; break;
    case DesktopEnvironment::Kind::Other: break;
    }
    for (const QStringList &candidate : candidates) {
        const QString program = QStandardPaths::findExecutable(candidate.first());
        if (!program.isEmpty() && QProcess::startDetached(program, candidate.mid(1)))
            return;
    }
    QDir().mkpath(m_dir);
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_dir));
}
