#include "app/DataFolder.h"
#include "app/SingleInstance.h"
#include "app/TermSignals.h"
#include "mainwindow/DialForm.h"
#include "settings/LineSettingsDialogs.h"
#include "telephony/LineService.h"
#include "ui/QtPrompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

using namespace telvora;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Telvora"));
    QApplication::setApplicationVersion(QStringLiteral(TELVORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("telvora"));
    // Closing the window leaves the program in the tray; only Exit ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    QString error;
    if (!DataFolder::enter(&error)) {
        QMessageBox::critical(nullptr, QStringLiteral("Telvora"),
                              QStringLiteral("Telvora cannot start: %1.").arg(error));
        return 1;
    }

    SingleInstance instance(SingleInstance::keyFor(DataFolder::path()));
    if (!instance.claim())
        return 0;

    QtPrompt prompt;
    DialForm form(prompt);
    prompt.setParent(&form);
    LineSettingsDialogs lineDialogs(prompt);
    LineService::instance().setDialogs(&lineDialogs);
    LineService::instance().startUp();
    QObject::connect(&instance, &SingleInstance::activationRequested, &form, [&form] {
        form.showNormal();
        form.raise();
        form.activateWindow();
    });
    QObject::connect(&form, &DialForm::exitRequested, &app, &QApplication::quit);
    TermSignals termSignals;
    QObject::connect(&termSignals, &TermSignals::terminationRequested, &form,
                     &DialForm::ExitCMD_Click);

    form.Form_Load();
    // For measuring start-up from outside: the window is filled once the first events ran.
    if (qEnvironmentVariableIsSet("TELVORA_QUIT_AFTER_LOAD"))
        QTimer::singleShot(0, &app, &QApplication::quit);
    return QApplication::exec();
}
