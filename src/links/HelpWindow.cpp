#include "links/HelpWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace telvora {

QUrl HelpWindow::contentsPage()
{
    // Each translation names the pages in its own language, so Help follows the language
    // of the windows; the pages link only to pages of their own folder.
    return QUrl(tr("qrc:/help/index.html", "the help's contents page in this language"));
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Telvora Help"));
    resize(640, 560);
    m_browser->setObjectName(QStringLiteral("HelpText"));
    // The pages link only to one another.
    m_browser->setOpenExternalLinks(false);

    auto* contents = new QPushButton(tr("&Contents"), this);
    auto* back = new QPushButton(tr("&Back"), this);
    auto* forward = new QPushButton(tr("&Forward"), this);
    auto* close = new QPushButton(tr("Close"), this);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this,
            [this] { m_browser->setSource(contentsPage()); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);
    m_browser->setSource(contentsPage());
}

void HelpWindow::showContents()
{
    m_browser->setSource(contentsPage());
    show();
    raise();
    activateWindow();
}

} // namespace telvora
