#pragma once

#include <QObject>
#include <functional>

namespace telvora {

// Desktop notifications through the session's notification service
// (org.freedesktop.Notifications); where none answers, the fallback shows the notice (the
// tray icon's message). The texts are plain: a server may read markup in a body, so
// whatever markup a text holds (a caller's name, say) is escaped and shows as written.
class DesktopNotifier final : public QObject
{
    Q_OBJECT
public:
    using Fallback = std::function<void(const QString& title, const QString& body)>;

    explicit DesktopNotifier(Fallback fallback, QObject* parent = nullptr);

    void notify(const QString& title, const QString& body);
    // A text that came from elsewhere as one line to show: control characters, line breaks
    // and the characters that reorder text (which could make a name read as another) go,
    // and a very long text is cut to maxLength characters with an ellipsis.
    static QString plainLine(const QString& text, qsizetype maxLength = 80);

signals:
    // A notice went out, through the service or the fallback, as it was asked for: what
    // tests and anyone else watching see.
    void notified(const QString& title, const QString& body);

private:
    Fallback m_fallback;
};

} // namespace telvora
