#pragma once

#include <QWidget>

class QTextBrowser;

namespace telvora {

// The program's own help: pages kept in its resources, read in a window of their own
// beside the main window.
class HelpWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the window on the contents page.
    void showContents();
    QTextBrowser* browser() const { return m_browser; }

    static QUrl contentsPage();

private:
    // Sized and placed whole inside the screen's free area, whatever the screen and scale.
    void placeOnScreen();

    QTextBrowser* m_browser;
};

} // namespace telvora
