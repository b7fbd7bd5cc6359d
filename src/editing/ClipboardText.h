#pragma once

#include <QString>

namespace telvora {

// A name travels through the clipboard as "text/position/id"; pasting it moves the
// record with that id rather than copying it.
struct NameClipboardText
{
    QString textPart;
    qint64 idPart = 0; // 0 when the text carries no usable id

    static QString make(const QString& text, int position, qint64 id);
    // The text before the first "/", and the id after the second one.
    static NameClipboardText split(const QString& clipboard);
};

} // namespace telvora
