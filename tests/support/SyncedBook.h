#pragma once

#include "store/PhoneBook.h"
#include "sync/SyncEngine.h"

#include <QTcpServer>
#include <QTemporaryDir>
#include <limits>

namespace telvora::test {

// One data folder whose phone book syncs with an address book: what one office member's
// copy of the program holds.
class SyncedBook
{
public:
    SyncedBook(const DavAccount& account, const QUrl& addressBook);

    // Runs one sync to its end.
    SyncReport sync();

    PhoneBook book;
    SyncEngine engine{book};

private:
    QTemporaryDir m_dir;
};

// Forwards connections on a port of its own to the server, and breaks every connection off
// for good once the given number of requests went through: a server that stops mid-sync.
// With answerLost the next request still reaches the server, but not its answer the client.
// resume() brings it back on the same port.
class CuttingProxy : public QObject
{
public:
    explicit CuttingProxy(const QUrl& server);
    QUrl url() const;
    void cutAfter(int requests, bool answerLost)
    {
        m_left = requests;
        m_loseAnswer = answerLost;
    }
    void resume();

private:
    void connectClient();
    void cut();
    QTcpServer* m_listener;
    QUrl m_server;
    quint16 m_port = 0;
    int m_left = std::numeric_limits<int>::max();
    bool m_loseAnswer = false;
    bool m_muted = false;
};

} // namespace telvora::test
