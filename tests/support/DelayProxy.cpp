#include "DelayProxy.h"

#include <QFile>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <list>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Held
{
    Clock::time_point due;
    std::vector<char> bytes;
};

// One program's connection and the proxy's own to the server.
struct Pair
{
    int program = -1;
    int server = -1;
    std::deque<Held> toServer;
    bool programsTurn = true; // the next message from the program begins a round trip
    bool closed = false;
    bool unanswered = false; // taken while silent: whatever comes is dropped

    ~Pair()
    {
        close(program);
        close(server);
    }
};

int connectToSocket(const QString& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::strncpy(address.sun_path, name.constData(), sizeof(address.sun_path) - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= size_t(sent);
    }
    return true;
}

} // namespace

DelayProxy::DelayProxy(QString serverSocket, std::chrono::milliseconds delay)
    : m_serverSocket(std::move(serverSocket)), m_delay(delay)
{
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(m_listener, 16) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        pipe(m_stopPipe) != 0)
        return;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

DelayProxy::~DelayProxy()
{
    if (m_thread.joinable()) {
        const char stop = 1;
        [[maybe_unused]] const ssize_t written = write(m_stopPipe[1], &stop, 1);
        m_thread.join();
    }
    close(m_listener);
    close(m_stopPipe[0]);
    close(m_stopPipe[1]);
}

void DelayProxy::run()
{
    std::list<Pair> pairs;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        std::vector<pollfd> watched = {{m_stopPipe[0], POLLIN, 0}, {m_listener, POLLIN, 0}};
        auto wait = std::chrono::milliseconds(100);
        const auto now = Clock::now();
        for (Pair& pair : pairs) {
            watched.push_back({pair.program, POLLIN, 0});
            watched.push_back({pair.server, POLLIN, 0});
            if (!pair.toServer.empty())
                wait =
                    std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(std::max(
                                       pair.toServer.front().due - now, Clock::duration::zero())));
        }
        poll(watched.data(), watched.size(), int(wait.count()));
        if (watched[0].revents)
            return;
        if (watched[1].revents & POLLIN) {
            const int program = accept(m_listener, nullptr, nullptr);
            const int one = 1;
            setsockopt(program, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
            Pair& pair = pairs.emplace_back();
            pair.program = program;
            pair.unanswered = m_silent;
            pair.server = pair.unanswered ? -1 : connectToSocket(m_serverSocket);
            pair.closed = !pair.unanswered && pair.server < 0;
        }
        size_t slot = 2;
        for (Pair& pair : pairs) {
            if (slot >= watched.size())
                break; // accepted in this pass: watched from the next one
            const short fromProgram = watched[slot].revents;
            const short fromServer = watched[slot + 1].revents;
            slot += 2;
            if (fromProgram) {
                const ssize_t got = recv(pair.program, buffer.data(), buffer.size(), 0);
                if (got <= 0) {
                    pair.closed = true;
                    continue;
                }
                if (pair.unanswered)
                    continue;
                if (std::exchange(pair.programsTurn, false))
                    ++m_roundTrips;
                pair.toServer.push_back({Clock::now() + m_delay,
                                         std::vector<char>(buffer.data(), buffer.data() + got)});
            }
            if (fromServer) {
                const ssize_t got = recv(pair.server, buffer.data(), buffer.size(), 0);
                if (got <= 0 || !sendAll(pair.program, buffer.data(), size_t(got))) {
                    pair.closed = true;
                    continue;
                }
                pair.programsTurn = true;
            }
        }
        const auto due = Clock::now();
        for (Pair& pair : pairs) {
            while (!pair.closed && !pair.toServer.empty() && pair.toServer.front().due <= due) {
                const Held& held = pair.toServer.front();
                pair.closed = !sendAll(pair.server, held.bytes.data(), held.bytes.size());
                pair.toServer.pop_front();
            }
        }
        const bool silent = m_silent;
        pairs.remove_if(
            [silent](const Pair& pair) { return pair.closed || (silent && !pair.unanswered); });
    }
}
