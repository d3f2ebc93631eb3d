// The remote control server: a TCP port (on 127.0.0.1 unless told another
// address) where each line is a command and each gets a one-line answer.
// It runs on a thread of its own with non-blocking sockets: lines are read
// and checked there (a DATA table gathered and parsed, a show file read),
// commands go to the play-out, which answers between frames. A client that
// sends faster than it reads is cut off when its answers pile up; nothing
// a client does can make a frame wait.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "LiveCommands.h"
#include "LiveTable.h"

constexpr int kLiveControlMaxClients = 8;
// Answers waiting for a client that does not read; past this it is cut off.
constexpr size_t kLiveControlMaxPending = 64 * 1024;

class LiveControlServer {
public:
    using Submit = std::function<void(LiveRequest&& request)>;

    LiveControlServer();
    ~LiveControlServer();
    LiveControlServer(const LiveControlServer&) = delete;
    LiveControlServer& operator=(const LiveControlServer&) = delete;

    // Listens on `address` (a numeric IPv4 or IPv6 address or a host name)
    // and `port` (0: any free one); tables sent with DATA must pass `gate`.
    // False with the reason.
    bool Start(const std::string& address, int port, LiveDataGate* gate, Submit submit, std::string& error);
    void Stop();
    int Port() const { return port_; }
    // The answer to a client's command (any thread; never waits).
    void Answer(int client, const std::string& line);
    int Clients() const { return clientCount_; }

private:
    struct Client;
    void Run();
    void TakeAnswers();
    void Accept();
    void Serve(Client& client, short events);
    void HandleLines(Client& client);
    void HandleLine(Client& client, const std::string& line);
    void Queue(Client& client, const std::string& line);
    void EndData(Client& client, LiveRequest&& request);
    void LoadShow(Client& client, LiveRequest&& request);

    int listen_ = -1;
    int wake_ = -1;
    int port_ = 0;
    LiveDataGate* gate_ = nullptr;
    Submit submit_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> clientCount_{0};
    std::vector<std::unique_ptr<Client>> clients_;
    int nextClient_ = 1;
    std::mutex answersLock_;
    std::deque<std::pair<int, std::string>> answers_;
};
