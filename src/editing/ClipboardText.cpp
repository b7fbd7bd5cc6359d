#include "editing/ClipboardText.h"

namespace telvora {

QString NameClipboardText::make(const QString& text, int position, qint64 id)
{
    // One pass: a name holding "%2" must not take the position's place.
    return QStringLiteral("%1/%2/%3").arg(text, QString::number(position), QString::number(id));
}

NameClipboardText NameClipboardText::split(const QString& clipboard)
{
    NameClipboardText result;
    const qsizetype first = clipboard.indexOf(QLatin1Char('/'));
    result.textPart = first < 0 ? clipboard : clipboard.left(first);
    if (first < 0)
        return result;
    const qsizetype second = clipboard.indexOf(QLatin1Char('/'), first + 1);
    if (second < 0)
        return result;
    bool ok = false;
    const qint64 id = clipboard.mid(second + 1).trimmed().toLongLong(&ok);
    result.idPart = ok ? id : 0;
    return result;
}

} // namespace telvora
