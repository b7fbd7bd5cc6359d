#include "app/CommandLine.h"
#include "app/ContactCommand.h"
#include "app/DataFolder.h"
#include "app/DisplayCheck.h"
#include "app/Language.h"
#include "app/SingleInstance.h"
#include "app/TermSignals.h"
#include "mainwindow/DialForm.h"
#include "settings/Registry.h"
#include "telephony/LineService.h"
#include "ui/IdListBox.h"
#include "ui/QtPrompt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace telvora;

int main(int argc, char* argv[])
{
    CommandLine commandLine;
    {
        // Read before anything else, in the user's language: --help, --version and a
        // mistake need no display, and a malformed link must change nothing at all.
        QCoreApplication reader(argc, argv);
        Language::install(reader);
        if (const auto status = commandLine.parse(QCoreApplication::arguments())) {
            if (*status == 0)
                std::fputs(qPrintable(commandLine.output()), stdout);
            else
                std::fprintf(stderr, "telvora: %s\n", qPrintable(commandLine.error()));
            return *status;
        }
        if (const auto& file = commandLine.contactFile()) {
            if (!commandLine.home().isEmpty())
                qputenv("TELVORA_HOME", QFile::encodeName(commandLine.home()));
            return ContactCommand::run(*file);
        }
    }
    // The data folder and the settings beside it are found through the variable.
    if (!commandLine.home().isEmpty())
        qputenv("TELVORA_HOME", QFile::encodeName(commandLine.home()));

    if (!DisplayCheck::displayNamed(argc, argv)) {
        std::fputs(DisplayCheck::noDisplayLine(), stderr);
        return 1;
    }
    auto displayCheck = std::make_unique<DisplayCheck>();
    QApplication app(argc, argv);
    displayCheck.reset();
    Language::install(app);
    QApplication::setApplicationName(QStringLiteral("Telvora"));
    QApplication::setApplicationVersion(QStringLiteral(TELVORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("telvora"));
    // Closing the window leaves the program in the tray; only Exit ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    QString error;
    if (!DataFolder::enter(&error)) {
        QMessageBox::critical(
            nullptr, QStringLiteral("Telvora"),
            QCoreApplication::translate("main", "Telvora cannot start: %1.").arg(error));
        return 1;
    }

    // The settings and lines are as private as the phone book; a failure here shows
    // when they are saved.
    QString configProblem;
    DataFolder::makePrivate(QFileInfo(Registry::defaultPath()).absolutePath(), &configProblem);

    SingleInstance instance(SingleInstance::keyFor(DataFolder::path()));
    if (commandLine.link())
        instance.setHandOver(*commandLine.link(), commandLine.dialNow());
    if (!instance.claim()) {
        if (!instance.handOverRefused())
            return 0;
        std::fprintf(stderr, "telvora: %s\n",
                     qPrintable(QCoreApplication::translate(
                         "main", "the running Telvora did not take the link")));
        return 2;
    }
    QString unguarded;
    if (!instance.problem().isEmpty()) {
        unguarded = QCoreApplication::translate("main", "Telvora cannot tell whether it is "
                                                        "already running: %1. It starts anyway.")
                        .arg(instance.problem());
        std::fprintf(stderr, "%s\n", qPrintable(unguarded));
    }

    // The lines outlive the window, whose dial run may still hold a call when it goes.
    LineService lines;
    QtPrompt prompt;
    DialForm form(prompt, lines);
    prompt.setParent(&form);
    lines.startUp();
    QObject::connect(&instance, &SingleInstance::activationRequested, &form, [&form] {
        form.showNormal();
        form.raise();
        form.activateWindow();
    });
    QObject::connect(&instance, &SingleInstance::linkRequested, &form, &DialForm::showLink);
    QObject::connect(&instance, &SingleInstance::reloadRequested, &form,
                     [&form] { form.reloadLists(); });
    QObject::connect(&form, &DialForm::exitRequested, &app, &QApplication::quit);
    TermSignals termSignals;
    QObject::connect(&termSignals, &TermSignals::terminationRequested, &form,
                     &DialForm::ExitCMD_Click);

    form.Form_Load();
    if (commandLine.link()) {
        QTimer::singleShot(0, &form, [&form, &commandLine] {
            form.showLink(*commandLine.link(), commandLine.dialNow());
        });
    }
    // For measuring start-up from outside: the window is filled once the first events ran.
    if (qEnvironmentVariableIsSet("TELVORA_QUIT_AFTER_LOAD"))
        QTimer::singleShot(0, &app, &QApplication::quit);
    // For measuring memory and scrolling from outside: All Groups opened ("click": and
    // nothing more) and its names scrolled to the last one, either by dragging the scroll
    // bar to its end as a user would (any other value) or by stepping down a page of the
    // list at a time ("pages").
    if (qEnvironmentVariableIsSet("TELVORA_SCROLL_ALL_AND_QUIT")) {
        QTimer::singleShot(0, &form, [&form] {
            const QByteArray how = qgetenv("TELVORA_SCROLL_ALL_AND_QUIT");
            const bool pages = how == "pages";
            IdListBox& groups = *form.controls().GroupsList;
            IdListBox& names = *form.controls().NamesList;
            QScrollBar& bar = *names.verticalScrollBar();
            QElapsedTimer timer;
            timer.start();
            groups.setListIndex(groups.count() - 2);
            QCoreApplication::processEvents();
            int steps = 0;
            if (how == "click")
                bar.setValue(bar.minimum());
            // The list grows while it scrolls; it is at its end once a step changes nothing.
            for (int before = -1;
                 how != "click" && (before != bar.value() || bar.value() != bar.maximum());) {
                before = bar.value();
                bar.setValue(pages ? bar.value() + IdListModel::kPage * bar.singleStep()
                                   : bar.maximum());
                QCoreApplication::processEvents();
                ++steps;
            }
            const auto& model = static_cast<const IdListModel&>(*names.model());
            std::fprintf(stderr, "listed %d names in %d steps, %lld ms, %d rows held, last %s\n",
                         names.count(), steps, static_cast<long long>(timer.elapsed()),
                         model.rowsHeld(), qPrintable(names.itemText(names.count() - 1)));
            QCoreApplication::quit();
        });
    }
    if (!unguarded.isEmpty()) {
        QTimer::singleShot(0, &form, [&prompt, unguarded] {
            prompt.messageBox(unguarded, Prompt::Buttons::Ok, Prompt::Icon::Warning,
                              QStringLiteral("Telvora"));
        });
    }
    return QApplication::exec();
}
