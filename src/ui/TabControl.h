#pragma once

#include <QList>
#include <QWidget>

class QTabBar;

namespace telvora {

// A tab control whose pages cover the whole control, tab strip included, so that a
// control on a page is placed relative to the tab control's own corner.
class TabControl final : public QWidget
{
    Q_OBJECT
public:
    TabControl(int stripHeight, QWidget* parent = nullptr);

    QWidget* addPage(const QString& caption, const QString& objectName);
    QWidget* page(int index) const { return m_pages.value(index); }
    int currentIndex() const;
    void setCurrentIndex(int index);
    QTabBar* tabBar() const { return m_bar; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showPage(int index);

    QTabBar* m_bar;
    QList<QWidget*> m_pages;
    int m_stripHeight;
};

} // namespace telvora
