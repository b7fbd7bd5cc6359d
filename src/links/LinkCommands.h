#pragma once

#include "links/UrlHandler.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QWidget;

namespace telvora {

class HelpWindow;
class Prompt;

// The three ways out of the program: the help, a contact's web page and a new mail.
class LinkCommands final : public QObject
{
    Q_OBJECT
public:
    LinkCommands(Prompt& prompt, QWidget* window);
    ~LinkCommands() override;

    // help.chm in the working directory, with the desktop's viewer; otherwise, or when
    // the desktop cannot open it, the program's own help.
    void HelpCmd_Click();
    // The home page exactly as typed, and a mail to the address typed (also when none is).
    void GOWWW_Click(const QString& homePage);
    void GoMail_Click(const QString& email);

    UrlHandler& urlHandler() { return *m_handler; }
    void setUrlHandler(std::unique_ptr<UrlHandler> handler) { m_handler = std::move(handler); }
    // The help window once it has been shown; it is kept for the next time.
    HelpWindow* helpWindow() const;

private:
    Prompt& m_prompt;
    QWidget* m_window;
    std::unique_ptr<UrlHandler> m_handler;
    QPointer<HelpWindow> m_help;
};

} // namespace telvora
