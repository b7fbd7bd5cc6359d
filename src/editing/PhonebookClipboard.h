#pragma once

#include "editing/ClipboardText.h"

#include <QString>

namespace telvora {

class EditContext;

// What the window itself last put on the system clipboard ("N", "S" or a number kind;
// empty before the first Copy or Cut), with the copy, cut and paste of names.
class PhonebookClipboard
{
public:
    explicit PhonebookClipboard(EditContext& context) : m_context(context) {}

    QString ClipboardKind() const { return m_kind; }
    void setClipboardKind(const QString& kind) { m_kind = kind; }
    bool holdsName() const;

    static QString text();
    static void setText(const QString& text);

    void CopyName();
    void CutName() { CopyName(); }
    void CopySub();
    void CutSUB() { CopySub(); }
    void PasteName();
    void PasteSUB();

    // Files a name under another; refused, with a beep, where that would lose a branch.
    void MakeSubName(qint64 nameId, qint64 parentId);

private:
    void copyNameFrom(bool subList);
    void pasteUnderSelectedName(const NameClipboardText& clip);

    EditContext& m_context;
    QString m_kind;
};

} // namespace telvora
