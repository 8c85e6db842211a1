// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/QtUserDriver.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

QMessageBox *messageBox(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    auto *box = new QMessageBox(icon, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

} // namespace

QtUserDriver::QtUserDriver() = default;

QtUserDriver::~QtUserDriver()
{
    closeSessionWindows();
}

void QtUserDriver::present(QDialog *dialog)
{
    dialog->setWindowModality(Qt::NonModal);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void QtUserDriver::closeSessionWindows()
{
    if (m_progress)
        m_progress->close();
    if (m_current)
        m_current->close();
}

void QtUserDriver::showCheckingForUpdates(std::function<void()> cancel)
{
    closeSessionWindows();
    auto *dialog = new QDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Corvane Update"));
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(tr("Checking for updates…")));
    auto *bar = new QProgressBar;
    bar->setRange(0, 0);
    layout->addWidget(bar);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    // Closing the window any way counts as cancelling; dismissing it from here does not.
    QObject::connect(dialog, &QDialog::rejected, dialog, [cancel = std::move(cancel)] { cancel(); });
    m_progress = dialog;
    present(dialog);
}

void QtUserDriver::dismissCheckingForUpdates()
{
    if (m_progress) {
        m_progress->disconnect();
        m_progress->close();
    }
}

void QtUserDriver::showUpToDate(const QString &currentVersion)
{
    auto *box = messageBox(QMessageBox::Information, tr("Corvane Update"), tr("You're up to date!"));
    box->setInformativeText(tr("Corvane %1 is currently the newest version available.").arg(currentVersion));
    m_current = box;
    present(box);
}

void QtUserDriver::showUpdaterError(const QString &message)
{
    closeSessionWindows();
    auto *box = messageBox(QMessageBox::Warning, tr("Corvane Update"), tr("Update Error!"));
    box->setInformativeText(message);
    m_current = box;
    present(box);
}

void QtUserDriver::showUpdateFound(const AppcastItem &update, const QString &currentVersion,
                                   std::function<void(Choice)> reply)
{
    closeSessionWindows();
    auto *dialog = new QDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Software Update"));
    dialog->resize(520, 400);
    auto *layout = new QVBoxLayout(dialog);
    auto *heading = new QLabel(QStringLiteral("<b>%1</b>").arg(tr("A new version of Corvane is available!")));
    layout->addWidget(heading);
    layout->addWidget(new QLabel(tr("Corvane %1 is now available—you have %2. Would you like to install it now?")
                                     .arg(update.displayVersion().toHtmlEscaped(), currentVersion.toHtmlEscaped())));

    auto *notes = new QTextBrowser;
    notes->setOpenLinks(false);
    // Release notes come from the network: shown as rich text, but nothing is fetched for
    // them and links open in the browser.
    if (!update.description.isEmpty())
        notes->setHtml(update.description);
    else if (update.releaseNotesLink.isValid())
        notes->setHtml(QStringLiteral("<a href=\"%1\">%2</a>")
                           .arg(update.releaseNotesLink.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                                tr("Release notes").toHtmlEscaped()));
    else
        notes->setPlainText(tr("No release notes were published for this version."));
    QObject::connect(notes, &QTextBrowser::anchorClicked, notes, [](const QUrl &url) {
        if (url.scheme() == u"https")
            QDesktopServices::openUrl(url);
    });
    layout->addWidget(notes, 1);

    auto *buttons = new QDialogButtonBox;
    QPushButton *skip = nullptr;
    if (!update.criticalUpdate)
        skip = buttons->addButton(tr("Skip This Version"), QDialogButtonBox::DestructiveRole);
    QPushButton *later = buttons->addButton(tr("Remind Me Later"), QDialogButtonBox::RejectRole);
    QPushButton *install = buttons->addButton(tr("Install Update"), QDialogButtonBox::AcceptRole);
    install->setDefault(true);
    layout->addWidget(buttons);

    // The reply goes out exactly once; closing the window means "later".
    auto answer = std::make_shared<std::function<void(Choice)>>(std::move(reply));
    auto send = [answer](Choice choice) {
        if (*answer) {
            auto f = std::move(*answer);
            *answer = nullptr;
            f(choice);
        }
    };
    QObject::connect(install, &QPushButton::clicked, dialog, [dialog, send] {
        dialog->hide();
        send(Choice::Install);
        dialog->close();
    });
    if (skip) {
        QObject::connect(skip, &QPushButton::clicked, dialog, [dialog, send] {
            send(Choice::Skip);
            dialog->close();
        });
    }
    QObject::connect(later, &QPushButton::clicked, dialog, &QDialog::reject);
    QObject::connect(dialog, &QDialog::finished, dialog, [send] { send(Choice::RemindLater); });
    m_current = dialog;
    present(dialog);
}

void QtUserDriver::showDownloading(const AppcastItem &update)
{
    closeSessionWindows();
    auto *dialog = new QDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Corvane Update"));
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(tr("Downloading Corvane %1…").arg(update.displayVersion().toHtmlEscaped())));
    auto *bar = new QProgressBar;
    bar->setRange(0, 0);
    layout->addWidget(bar);
    m_progress = dialog;
    present(dialog);
}

void QtUserDriver::showReadyToRelaunch(const AppcastItem &update, std::function<void(bool)> reply)
{
    closeSessionWindows();
    auto *box = new QMessageBox(QMessageBox::Question, tr("Corvane Update"),
                                tr("Corvane %1 is installed.").arg(update.displayVersion()));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(tr("Restart Corvane now to use the new version?"));
    QPushButton *restart = box->addButton(tr("Restart Now"), QMessageBox::AcceptRole);
    box->addButton(tr("Later"), QMessageBox::RejectRole);
    QObject::connect(box, &QMessageBox::finished, box,
                     [box, restart, reply = std::move(reply)] { reply(box->clickedButton() == restart); });
    m_current = box;
    present(box);
}
