#include "support/SyncedBook.h"

#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

namespace telvora::test {

SyncedBook::SyncedBook(const DavAccount& account, const QUrl& addressBook)
{
    if (book.open(m_dir.filePath(QStringLiteral("data.mdb"))) != PhoneBook::State::Created)
        qFatal("cannot make a phone book: %s", qPrintable(book.errorText()));
    engine.setAccount(account, addressBook);
}

SyncReport SyncedBook::sync()
{
    QEventLoop loop;
    const auto connection =
        QObject::connect(&engine, &SyncEngine::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(120000, &loop, [&] { qFatal("the sync never finished"); });
    engine.sync();
    if (engine.isSyncing())
        loop.exec();
    QObject::disconnect(connection);
    return engine.lastReport();
}

CuttingProxy::CuttingProxy(const QUrl& server) : m_listener(new QTcpServer(this)), m_server(server)
{
    if (!m_listener->listen(QHostAddress::LocalHost))
        qFatal("the proxy cannot listen");
    m_port = m_listener->serverPort();
    QObject::connect(m_listener, &QTcpServer::newConnection, this, &CuttingProxy::connectClient);
}

QUrl CuttingProxy::url() const
{
    QUrl url = m_server;
    url.setPort(m_port);
    return url;
}

void CuttingProxy::cut()
{
    m_left = 0;
    m_listener->close();
    for (QTcpSocket* socket : m_listener->findChildren<QTcpSocket*>())
        socket->abort();
}

void CuttingProxy::resume()
{
    m_left = std::numeric_limits<int>::max();
    m_muted = false;
    if (!m_listener->isListening() && !m_listener->listen(QHostAddress::LocalHost, m_port))
        qFatal("the proxy cannot listen again");
}

void CuttingProxy::connectClient()
{
    while (QTcpSocket* client = m_listener->nextPendingConnection()) {
        auto* server = new QTcpSocket(client);
        server->connectToHost(m_server.host(), quint16(m_server.port()));
        QObject::connect(client, &QTcpSocket::readyRead, server, [=, this] {
            const QByteArray bytes = client->readAll();
            if (m_muted) // the rest of the request whose answer is lost
                return void(server->write(bytes));
            // Each request starts with a method and the path; the body never holds one.
            const qsizetype requests = bytes.count(" HTTP/1.1\r\n");
            if (m_left <= 0 || (m_left -= int(requests)) < 0) {
                if (!m_loseAnswer)
                    return cut();
                // The server gets the request and acts on it; its answer never arrives.
                m_muted = true;
                server->write(bytes);
                QTimer::singleShot(1000, this, &CuttingProxy::cut);
                return;
            }
            server->write(bytes);
        });
        QObject::connect(server, &QTcpSocket::readyRead, client, [=, this] {
            const QByteArray answer = server->readAll();
            if (!m_muted)
                client->write(answer);
        });
        QObject::connect(server, &QTcpSocket::disconnected, client,
                         &QTcpSocket::disconnectFromHost);
        QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    }
}

} // namespace telvora::test
