#include "links/HelpWindow.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace telvora {

namespace {

// The pages name the data folder in use, which is the working directory, where the page
// has the mark %DATA_FOLDER%.
class HelpBrowser final : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override
    {
        QVariant resource = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::HtmlResource)
            return resource;
        QString page = resource.typeId() == QMetaType::QByteArray
                           ? QString::fromUtf8(resource.toByteArray())
                           : resource.toString();
        return page.replace(QLatin1String("%DATA_FOLDER%"),
                            QDir::toNativeSeparators(QDir::currentPath()).toHtmlEscaped());
    }
};

const QSize kPreferredSize(640, 560);

} // namespace

QUrl HelpWindow::contentsPage()
{
    // Each translation names the pages in its own language, so Help follows the language
    // of the windows; the pages link only to pages of their own folder.
    return QUrl(tr("qrc:/help/index.html", "the help's contents page in this language"));
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), m_browser(new HelpBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Telvora Help"));
    resize(kPreferredSize);
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

void HelpWindow::placeOnScreen()
{
    const QWidget* owner = parentWidget() ? parentWidget() : this;
    const QRect area = owner->screen()->availableGeometry();
    // Room for the title bar and borders, which the window manager adds only once shown.
    const QSize frame(16, 48);
    const QSize size = kPreferredSize.boundedTo(area.size() - frame).expandedTo(minimumSizeHint());
    resize(size);
    move(area.left() + qMax(0, (area.width() - size.width() - frame.width()) / 2),
         area.top() + qMax(0, (area.height() - size.height() - frame.height()) / 2));
}

void HelpWindow::showContents()
{
    m_browser->setSource(contentsPage());
    if (!isVisible())
        placeOnScreen();
    show();
    raise();
    activateWindow();
}

} // namespace telvora
