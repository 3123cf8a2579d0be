#pragma once

// Database servers that misbehave, for the connection tests. Each listens on 127.0.0.1
// only, in a thread of its own, accepts at most a few connections and stops by itself at
// the end of its lifetime (or when the object goes, whichever comes first).
#include <QByteArray>
#include <QVariant>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

class LoopbackServer : public QThread
{
public:
    enum class Behaviour {
        Silent,         // accepts and never answers
        Noise,          // answers the first packet with 64 bytes of noise, then nothing
        CloseAfterBytes, // answers with three bytes and closes
        Trickle,        // begins a long reply packet, then sends one byte every 300 ms
        RefuseLogin,    // speaks enough TDS to refuse the login as SQL Server does (18456)
        DropAfterLogin, // accepts every login, closes the connection at its first request
    };

    explicit LoopbackServer(Behaviour behaviour, int lifetimeMs = 15000, int maxConnections = 8)
        : m_behaviour(behaviour), m_lifetimeMs(lifetimeMs), m_maxConnections(maxConnections)
    {
        start();
        m_ready.acquire();
    }

    ~LoopbackServer() override
    {
        quit();
        wait();
    }

    quint16 port() const { return m_port; }
    // The server setting that reaches it ("host,port").
    QString server() const { return QStringLiteral("127.0.0.1,%1").arg(m_port); }
    int accepted() const { return m_accepted; }

    // A port on the loopback address that nothing listens on (any more).
    static quint16 closedPort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        return port;
    }

protected:
    void run() override
    {
        // Everything lives on this stack and goes, sockets included, when the loop ends.
        QTcpServer listener;
        if (listener.listen(QHostAddress::LocalHost, 0))
            m_port = listener.serverPort();
        m_ready.release();
        QObject::connect(&listener, &QTcpServer::newConnection, &listener, [this, &listener] {
            while (QTcpSocket *socket = listener.nextPendingConnection()) {
                socket->setParent(&listener);
                serve(socket);
                if (++m_accepted >= m_maxConnections)
                    listener.close();
            }
        });
        QTimer::singleShot(m_lifetimeMs, &listener, [this] { quit(); });
        exec();
    }

private:
    void serve(QTcpSocket *socket)
    {
        auto received = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
            received->append(socket->readAll());
            // Whole packets only: an 8-byte header whose bytes 2-3 are the length, big-endian.
            while (received->size() >= 8) {
                const int length = (quint8(received->at(2)) << 8) | quint8(received->at(3));
                if (length < 8 || received->size() < length)
                    break;
                const char type = received->at(0);
                received->remove(0, length);
                answer(socket, type);
            }
        });
    }

    void answer(QTcpSocket *socket, char packetType)
    {
        switch (m_behaviour) {
        case Behaviour::Silent:
            return;
        case Behaviour::Noise: {
            if (socket->property("answered").toBool())
                return;
            socket->setProperty("answered", true);
            QByteArray noise(64, Qt::Uninitialized);
            QRandomGenerator generator(20261209);
            for (char &c : noise)
                c = char(generator.bounded(256));
            socket->write(noise);
            return;
        }
        case Behaviour::CloseAfterBytes:
            socket->write(QByteArray("\x04\x01\x00", 3));
            socket->flush();
            socket->disconnectFromHost();
            return;
        case Behaviour::Trickle: {
            // A reply packet of 4096 bytes, one of which arrives at a time.
            socket->write(QByteArray("\x04\x01\x10\x00\x00\x00\x01\x00", 8));
            auto *timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write(QByteArray(1, '\0')); });
            timer->start(300);
            return;
        }
        case Behaviour::RefuseLogin:
        case Behaviour::DropAfterLogin:
            if (packetType == 0x12) { // pre-login
                socket->write(tdsPacket(preloginReply()));
            } else if (packetType == 0x10) { // login
                if (m_behaviour == Behaviour::RefuseLogin)
                    socket->write(tdsPacket(errorToken(18456, 14, QStringLiteral("Login failed for user 'sa'."))
                                            + doneToken(0x0002)));
                else
                    socket->write(tdsPacket(loginAckToken() + doneToken(0)));
            } else {
                socket->abort();
            }
            return;
        }
    }

    static QByteArray le16(int v) { return QByteArray(1, char(v & 0xff)) + char((v >> 8) & 0xff); }
    static QByteArray le32(qint32 v) { return le16(v & 0xffff) + le16((v >> 16) & 0xffff); }
    static QByteArray ucs2(const QString &s)
    {
        return QByteArray(reinterpret_cast<const char *>(s.utf16()), int(s.size() * 2));
    }
    static QByteArray bVarChar(const QString &s) { return QByteArray(1, char(s.size())) + ucs2(s); }
    static QByteArray usVarChar(const QString &s) { return le16(int(s.size())) + ucs2(s); }

    static QByteArray tdsPacket(const QByteArray &payload)
    {
        const int length = int(payload.size()) + 8;
        QByteArray header("\x04\x01", 2);
        header += char((length >> 8) & 0xff);
        header += char(length & 0xff);
        header += QByteArray("\x00\x00\x01\x00", 4);
        return header + payload;
    }
    // Version 16.0 and no encryption.
    static QByteArray preloginReply()
    {
        return QByteArray("\x00\x00\x0b\x00\x06\x01\x00\x11\x00\x01\xff"
                          "\x10\x00\x07\xd0\x00\x00"
                          "\x02",
                          18);
    }
    static QByteArray errorToken(qint32 number, int severity, const QString &message)
    {
        const QByteArray body = le32(number) + char(1) + char(severity) + usVarChar(message)
            + bVarChar(QStringLiteral("LOOPBACK")) + bVarChar(QString()) + le32(1);
        return char(0xaa) + le16(int(body.size())) + body;
    }
    static QByteArray loginAckToken()
    {
        const QByteArray body = QByteArray(1, char(1)) + QByteArray("\x74\x00\x00\x04", 4)
            + bVarChar(QStringLiteral("Microsoft SQL Server")) + QByteArray("\x10\x00\x07\xd0", 4);
        return char(0xad) + le16(int(body.size())) + body;
    }
    static QByteArray doneToken(int status)
    {
        return char(0xfd) + le16(status) + le16(0) + QByteArray(8, '\0');
    }

    const Behaviour m_behaviour;
    const int m_lifetimeMs;
    const int m_maxConnections;
    QSemaphore m_ready;
    std::atomic<quint16> m_port{0};
    std::atomic<int> m_accepted{0};
};
