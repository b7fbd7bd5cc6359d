#include "ui/TabControl.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

namespace telvora {

TabControl::TabControl(int stripHeight, QWidget* parent)
    : QWidget(parent), m_bar(new QTabBar(this)), m_stripHeight(stripHeight)
{
    m_bar->setExpanding(true);
    m_bar->setDrawBase(false);
    connect(m_bar, &QTabBar::currentChanged, this, [this](int index) { showPage(index); });
}

QWidget* TabControl::addPage(const QString& caption, const QString& objectName)
{
    auto* page = new QWidget(this);
    page->setObjectName(objectName);
    page->setGeometry(rect());
    m_pages << page;
    m_bar->addTab(caption);
    m_bar->raise();
    showPage(m_bar->currentIndex());
    return page;
}

int TabControl::currentIndex() const
{
    return m_bar->currentIndex();
}

void TabControl::setCurrentIndex(int index)
{
    m_bar->setCurrentIndex(index);
}

void TabControl::showPage(int index)
{
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages[i]->setVisible(i == index);
}

void TabControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_bar->setGeometry(0, 0, width(), m_stripHeight);
    for (QWidget* page : m_pages)
        page->setGeometry(rect());
}

void TabControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, m_stripHeight - 1, 0, 0);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = m_bar->size();
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

} // namespace telvora
