#pragma once

#include <QPlainTextEdit>

namespace telvora {

// A several-line card field that stays responsive whatever it is given. Qt wraps a run of
// text without a break opportunity at a cost that grows with the square of the run, and
// lays out a whole paragraph again on every key press; so a long run is wrapped anywhere,
// and a paste or drop that would take the field past its limit is refused.
class CardTextEdit final : public QPlainTextEdit
{
    Q_OBJECT
public:
    // The longest text the field holds, in characters.
    static constexpr qsizetype kLimit = 32767;
    // The longest run without white space that is still wrapped at word boundaries.
    static constexpr qsizetype kLongestWord = 256;

    explicit CardTextEdit(QWidget* parent = nullptr);

    // The longest run of characters between white space in the text.
    static qsizetype longestRun(QStringView text);
    // Shows the text, wrapped as its longest run allows from the start.
    void setCardText(const QString& text);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void chooseWrap();
    void wrapFor(qsizetype longest);
};

} // namespace telvora
