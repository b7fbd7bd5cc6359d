#pragma once

#include <QLabel>

class QPushButton;

namespace telvora {

// A label that never cuts its text off: what does not fit its rectangle ends in "…", and
// the whole text is then its tool tip. A word-wrapped label wraps first and ends its last
// line that fits in "…". The window's arrangement fixes the rectangle; names, group names
// and translations decide the text.
class ElidedLabel final : public QLabel
{
    Q_OBJECT
public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

    // Whether the text is shortened at the label's size.
    bool isElided() const;
    // A text too wide for the label's font is first drawn smaller, down to this size, and
    // only then shortened. Zero (the default) keeps the font's size.
    void setSmallestPointSize(qreal points) { m_smallest = points; }

    // For a plain label whose text is set once: makes its font smaller, down to the given
    // size, until the text fits its width.
    static void shrinkToFit(QLabel& label, qreal smallest);
    // The same for a push button whose caption is set once, icon and frame counted.
    static void shrinkToFit(QPushButton& button, qreal smallest);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The font the text is drawn in: the label's, or a smaller one that fits.
    QFont shownFont() const;
    // The lines drawn at the current size and font, the last one elided when needed.
    QStringList shownLines(const QFont& font) const;

    qreal m_smallest = 0;
};

} // namespace telvora
