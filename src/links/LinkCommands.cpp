#include "links/LinkCommands.h"

#include "links/HelpWindow.h"
#include "links/OpenInBrowser.h"

#include <QFileInfo>
#include <QWidget>

namespace telvora {

LinkCommands::LinkCommands(Prompt& prompt, QWidget* window)
    : QObject(window), m_prompt(prompt), m_window(window),
      m_handler(std::make_unique<DesktopUrlHandler>())
{}

LinkCommands::~LinkCommands() = default;

HelpWindow* LinkCommands::helpWindow() const
{
    return m_help;
}

void LinkCommands::HelpCmd_Click()
{
    const QFileInfo compiled(QStringLiteral("help.chm"));
    if (compiled.isFile() && m_handler->open(QUrl::fromLocalFile(compiled.absoluteFilePath())))
        return;
    if (!m_help)
        m_help = new HelpWindow(m_window);
    m_help->showContents();
}

void LinkCommands::GOWWW_Click(const QString& homePage)
{
    OpenInBrowser(homePage, *m_handler, m_prompt);
}

void LinkCommands::GoMail_Click(const QString& email)
{
    OpenInBrowser(QStringLiteral("mailto:") + email, *m_handler, m_prompt);
}

} // namespace telvora
