#include "ui/ElidedLabel.h"

#include <QEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTextLayout>

namespace telvora {

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
}

QFont ElidedLabel::shownFont() const
{
    QFont shown = font();
    if (m_smallest <= 0 || shown.pointSizeF() <= 0)
        return shown;
    const QString text = QLabel::text();
    for (qreal points = shown.pointSizeF(); points >= m_smallest; points -= 0.5) {
        shown.setPointSizeF(points);
        const QFontMetrics metrics(shown, this);
        if (metrics.elidedText(text, Qt::ElideRight, contentsRect().width()) == text &&
            metrics.height() <= contentsRect().height())
            return shown;
    }
    shown.setPointSizeF(m_smallest);
    return shown;
}

QStringList ElidedLabel::shownLines(const QFont& font) const
{
    const QRect area = contentsRect();
    const QFontMetrics metrics(font, this);
    // A mnemonic marks a letter; it takes no room.
    const QString text =
        buddy() ? QString(QLabel::text()).remove(QLatin1Char('&')) : QLabel::text();
    if (!wordWrap())
        return {metrics.elidedText(text, Qt::ElideRight, area.width())};

    const int fitting = qMax(1, area.height() / metrics.lineSpacing());
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        if (lines.size() + 1 == fitting) {
            // The last line that fits takes the rest of the text, elided.
            lines << metrics.elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight,
                                        area.width());
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

void ElidedLabel::shrinkToFit(QLabel& label, qreal smallest)
{
    QFont font = label.font();
    const QString text = QString(label.text()).remove(QLatin1Char('&'));
    while (font.pointSizeF() - 0.5 >= smallest &&
           QFontMetrics(font, &label).horizontalAdvance(text) > label.contentsRect().width())
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label.setFont(font);
}

void ElidedLabel::shrinkToFit(QPushButton& button, qreal smallest)
{
    // Translations make captions longer than the fixed buttons were drawn for; a smaller
    // face keeps the whole word, which an elided caption (and its Alt letter) would lose.
    const QStyle* style = button.style();
    const int room = button.width() - (button.icon().isNull() ? 0 : button.iconSize().width() + 4) -
                     style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) -
                     2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
    QFont font = button.font();
    const QString text = QString(button.text()).remove(QLatin1Char('&'));
    while (font.pointSizeF() - 0.5 >= smallest &&
           QFontMetrics(font, &button).horizontalAdvance(text) > room)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    button.setFont(font);
}

bool ElidedLabel::isElided() const
{
    const QStringList lines = shownLines(shownFont());
    return !lines.isEmpty() && lines.last().endsWith(QChar(0x2026)) &&
           !QLabel::text().endsWith(QChar(0x2026));
}

bool ElidedLabel::event(QEvent* event)
{
    // The whole text shows as a tip only when the label cannot show it.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && !isElided())
        return true;
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        setToolTip(QLabel::text());
        const bool handled = QLabel::event(event);
        setToolTip(QString());
        return handled;
    }
    return QLabel::event(event);
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    const QFont font = shownFont();
    painter.setFont(font);
    const QStringList lines = shownLines(font);
    const QFontMetrics metrics(font, this);
    const QRect area = contentsRect();
    const int height = int(lines.size()) * metrics.lineSpacing();
    int top = area.top();
    if (alignment() & Qt::AlignVCenter)
        top += (area.height() - height) / 2;
    else if (alignment() & Qt::AlignBottom)
        top += area.height() - height;
    const Qt::Alignment across = alignment() & Qt::AlignHorizontal_Mask;
    for (const QString& line : lines) {
        const QRect row(area.left(), top, area.width(), metrics.lineSpacing());
        style()->drawItemText(&painter, row, int(across | Qt::AlignVCenter), palette(), isEnabled(),
                              line, foregroundRole());
        top += metrics.lineSpacing();
    }
}

} // namespace telvora
