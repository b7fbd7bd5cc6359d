#include "editing/NumberCommands.h"

#include "editing/EditContext.h"
#include "editing/PhonebookClipboard.h"
#include "store/PhoneBook.h"
#include "ui/IdListBox.h"
#include "ui/Prompt.h"

namespace telvora {

NumberCommands::NumberCommands(EditContext& context, PhonebookClipboard& clipboard,
                               NumberListTexts kind)
    : m_context(context), m_clipboard(clipboard), m_kind(std::move(kind))
{}

const QList<NumberListTexts>& NumberCommands::kinds()
{
    static const QList<NumberListTexts> all{
        {NumberKind::Phone,
         QString::fromUtf8(
             QT_TRANSLATE_NOOP("telvora::NumberCommands", "Enter New Business Number:")),
         QString::fromUtf8(QT_TRANSLATE_NOOP("telvora::NumberCommands", "Are you Sure ??")),
         QString::fromUtf8(QT_TRANSLATE_NOOP("telvora::NumberCommands", "Confirm"))},
        {NumberKind::Fax,
         QString::fromUtf8(QT_TRANSLATE_NOOP("telvora::NumberCommands", "Enter New Fax Number:")),
         QString::fromUtf8(QT_TRANSLATE_NOOP("telvora::NumberCommands", "Are You Sure?")),
         QString::fromUtf8(QT_TRANSLATE_NOOP("telvora::NumberCommands", "Confirm"))},
        {NumberKind::Mobile,
         QString::fromUtf8(QT_TRANSLATE_NOOP("telvora::NumberCommands", "Enter New Number:")),
         QString::fromUtf8(QT_TRANSLATE_NOOP("telvora::NumberCommands", "Are You Sure?")),
         QString()},
        {NumberKind::Home,
         QString::fromUtf8(QT_TRANSLATE_NOOP("telvora::NumberCommands", "Enter New Home Number:")),
         QString::fromUtf8(QT_TRANSLATE_NOOP("telvora::NumberCommands", "Are You Sure?")),
         QString::fromUtf8(QT_TRANSLATE_NOOP("telvora::NumberCommands", "Confirm"))},
    };
    return all;
}

IdListBox& NumberCommands::list()
{
    return m_context.window().numberList(m_kind.kind);
}

int NumberCommands::currentEntry()
{
    IdListBox& numbers = list();
    const QList<int> selected = numbers.selectedItems();
    if (selected.isEmpty()) {
        m_context.prompt().beep();
        return -1;
    }
    const int current = numbers.listIndex();
    return current >= 0 && numbers.isItemSelected(current) ? current : selected.last();
}

qint64 NumberCommands::owner()
{
    // A number must belong to someone: when the lists select nobody (a group without
    // names was chosen), it goes to the contact whose card is shown.
    return m_context.ownerId().value_or(m_context.window().CardId());
}

void NumberCommands::addToList(const QString& text)
{
    const qint64 parent = owner();
    if (!m_context.usable(parent))
        return;
    if (parent == 0) {
        m_context.prompt().beep();
        return;
    }
    const qint64 id = m_context.book().addNumber(text, parent, schema::kindText(m_kind.kind));
    if (m_context.added(id))
        list().addItem(text, id);
}

void NumberCommands::Add()
{
    const QString text = m_context.prompt().inputBox(tr(m_kind.addPrompt.toUtf8().constData()));
    if (!text.isEmpty())
        addToList(text);
}

void NumberCommands::Edit()
{
    const int entry = currentEntry();
    if (entry < 0)
        return;
    IdListBox& numbers = list();
    if (!m_context.usable(numbers.itemData(entry)))
        return;
    const QString text =
        m_context.prompt().inputBox(tr("Enter New Number:"), numbers.itemText(entry));
    if (text.isEmpty())
        return;
    const int changed =
        m_context.book().updateNumber(numbers.itemData(entry), text, schema::kindText(m_kind.kind));
    if (m_context.stored(changed) && changed > 0)
        numbers.setItemText(entry, text);
}

void NumberCommands::Delete()
{
    const int entry = currentEntry();
    if (entry < 0 || !m_context.usable(list().itemData(entry)))
        return;
    const auto answer = m_context.prompt().messageBox(tr(m_kind.deleteText.toUtf8().constData()),
                                                      Prompt::Buttons::YesNo, Prompt::Icon::None,
                                                      tr(m_kind.deleteTitle.toUtf8().constData()));
    if (answer != Prompt::Answer::Yes)
        return;
    if (const auto id = m_context.ownerId(); id && isRowId(*id))
        m_context.window().setCardId(*id);
    IdListBox& numbers = list();
    if (m_context.stored(m_context.book().deleteNumber(numbers.itemData(entry))))
        numbers.removeItem(entry);
}

void NumberCommands::Copy()
{
    const int entry = currentEntry();
    if (entry < 0)
        return;
    m_clipboard.setClipboardKind(schema::kindText(m_kind.kind));
    PhonebookClipboard::setText(list().itemText(entry));
}

void NumberCommands::Cut()
{
    const int entry = currentEntry();
    if (entry < 0)
        return;
    IdListBox& numbers = list();
    // Refused before the text goes anywhere: a cut that keeps the number is a copy.
    if (!m_context.usable(numbers.itemData(entry)))
        return;
    m_clipboard.setClipboardKind(schema::kindText(m_kind.kind));
    PhonebookClipboard::setText(numbers.itemText(entry));
    if (const auto id = m_context.ownerId(); id && isRowId(*id))
        m_context.window().setCardId(*id);
    if (m_context.stored(m_context.book().deleteNumber(numbers.itemData(entry))))
        numbers.removeItem(entry);
}

void NumberCommands::Paste()
{
    const QString text = PhonebookClipboard::text();
    // An empty clipboard would store an empty number; a long text is not a number.
    if (text.isEmpty() || text.toUcs4().size() > pasteLimit) {
        m_context.prompt().beep();
        return;
    }
    addToList(text);
}

} // namespace telvora
