#pragma once

#include "sync/DavClient.h"

#include <QEventLoop>
#include <QTimer>
#include <QtTest>
#include <optional>
#include <tuple>

namespace telvora::test {

// The servers tests/sync/with-radicale starts in the private network namespace.
inline QUrl serverUrl(const char* variable)
{
    const QByteArray url = qgetenv(variable);
    if (url.isEmpty())
        qFatal("%s is not set: run the test under tests/sync/with-radicale", variable);
    return QUrl(QString::fromUtf8(url));
}

inline DavAccount davAccount(const QUrl& server, const QString& user = QStringLiteral("alice"),
                             const QString& password = QStringLiteral("secret"))
{
    return {server, user, password, {}};
}

// Starts one asynchronous client call and runs the event loop until its callback came,
// giving back what the callback was given.
template <class... Args, class Call> std::tuple<std::decay_t<Args>...> await(Call call)
{
    std::optional<std::tuple<std::decay_t<Args>...>> result;
    QEventLoop loop;
    call([&](Args... args) {
        result.emplace(args...);
        loop.quit();
    });
    if (!result) {
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!result)
        qFatal("the client never called back");
    return std::move(*result);
}

// What a card listing handed on, in arrival order.
struct CardList
{
    QList<DavCard> cards;
    DavClient::CardSink sink()
    {
        return [this](DavCard&& card) {
            cards.append(std::move(card));
        };
    }
};

} // namespace telvora::test
