#include "ui/CardTextEdit.h"

#include <QApplication>
#include <QMimeData>
#include <QTextBlock>
#include <algorithm>

namespace telvora {

CardTextEdit::CardTextEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    connect(this, &QPlainTextEdit::textChanged, this, &CardTextEdit::chooseWrap);
}

qsizetype CardTextEdit::longestRun(QStringView text)
{
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

void CardTextEdit::setCardText(const QString& text)
{
    // Chosen before the text goes in, so it is never laid out the slow way first.
    wrapFor(longestRun(text));
    setPlainText(text);
}

void CardTextEdit::wrapFor(qsizetype longest)
{
    const auto wrap = longest > kLongestWord ? QTextOption::WrapAnywhere
                                             : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (wordWrapMode() != wrap)
        setWordWrapMode(wrap);
}

void CardTextEdit::chooseWrap()
{
    // One pass over at most kLimit characters; the wrap only changes, and the text is only
    // laid out again for it, when a long run appears or goes.
    const QTextDocument* text = document();
    qsizetype longest = 0;
    for (QTextBlock block = text->begin(); block.isValid() && longest <= kLongestWord;
         block = block.next())
        longest = std::max(longest, longestRun(block.text()));
    wrapFor(longest);
}

bool CardTextEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return source && source->hasText() && QPlainTextEdit::canInsertFromMimeData(source);
}

void CardTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText())
        return;
    const qsizetype kept = document()->characterCount() - 1 - textCursor().selectedText().size();
    if (kept + source->text().size() > kLimit) {
        QApplication::beep();
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

} // namespace telvora
