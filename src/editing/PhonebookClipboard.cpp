#include "editing/PhonebookClipboard.h"

#include "editing/EditContext.h"
#include "store/PhoneBook.h"
#include "ui/IdListBox.h"
#include "ui/Prompt.h"

#include <QClipboard>
#include <QGuiApplication>

namespace telvora {

bool PhonebookClipboard::holdsName() const
{
    return m_kind == QLatin1String("N") || m_kind == QLatin1String("S");
}

QString PhonebookClipboard::text()
{
    return QGuiApplication::clipboard()->text();
}

void PhonebookClipboard::setText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

void PhonebookClipboard::copyNameFrom(bool subList)
{
    BrowseWindow& window = m_context.window();
    const IdListBox& list = subList ? window.subList() : window.namesList();
    m_kind = subList ? QStringLiteral("S") : QStringLiteral("N");
    const int index = list.listIndex();
    if (index < 0 || !list.isItemSelected(index) || !m_context.usable(list.itemData(index)))
        return;
    setText(NameClipboardText::make(list.itemText(index), index, list.itemData(index)));
}

void PhonebookClipboard::CopyName()
{
    copyNameFrom(false);
}

void PhonebookClipboard::CopySub()
{
    copyNameFrom(true);
}

void PhonebookClipboard::MakeSubName(qint64 nameId, qint64 parentId)
{
    PhoneBook& book = m_context.book();
    if (!m_context.usable(nameId) || !m_context.usable(parentId))
        return;
    if (book.isSelfOrBelow(nameId, parentId)) {
        m_context.prompt().beep();
        return;
    }
    m_context.stored(book.makeSubName(nameId, parentId));
}

void PhonebookClipboard::pasteUnderSelectedName(const NameClipboardText& clip)
{
    const std::optional<qint64> parent = m_context.currentNameId();
    if (!m_context.usable(parent) || !m_context.usable(m_context.currentGroupId()))
        return;
    if (clip.idPart > 0) {
        if (parent)
            MakeSubName(clip.idPart, *parent);
        else
            m_context.prompt().beep();
        return;
    }
    // A text with nothing before its first "/" names no one.
    if (clip.textPart.isEmpty()) {
        m_context.prompt().beep();
        return;
    }
    const qint64 id =
        m_context.book().addName(clip.textPart, parent.value_or(0), m_context.currentGroupId());
    if (m_context.added(id))
        m_context.window().LoadNames(id, std::nullopt);
}

void PhonebookClipboard::PasteName()
{
    BrowseWindow& window = m_context.window();
    const QString clipboard = text();
    if (!holdsName() || clipboard.isEmpty())
        m_context.prompt().beep();
    else
        pasteUnderSelectedName(NameClipboardText::split(clipboard));
    window.LoadNames(std::nullopt, window.namesList().listIndex());
}

void PhonebookClipboard::PasteSUB()
{
    BrowseWindow& window = m_context.window();
    const QString clipboard = text();
    if (clipboard.isEmpty()) {
        m_context.prompt().beep();
    } else if (holdsName()) {
        pasteUnderSelectedName(NameClipboardText::split(clipboard));
    } else if (m_context.usable(m_context.currentNameId()) &&
               m_context.usable(m_context.currentGroupId())) {
        // Any other text becomes a new sub-name, named with the whole text.
        const qint64 id = m_context.book().addName(clipboard, m_context.currentNameId().value_or(0),
                                                   m_context.currentGroupId());
        if (m_context.added(id)) {
            window.subList().addItem(clipboard, id);
            window.subList().setListIndex(window.subList().count() - 1);
        }
    }
    window.LoadNames(std::nullopt, window.namesList().listIndex());
}

} // namespace telvora
