// The remote control server's thread: accepting, reading lines, gathering
// DATA tables, reading show files, and writing the play-out's answers back
// without ever blocking on a client.
#include "LiveControl.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "CrossPlatform.h"
#include "ShowFile.h"

namespace {

constexpr int kListenBacklog = 8;
// Answers are short: a small send buffer lets a client that never reads
// be noticed (its answers pile up here) long before it costs memory.
constexpr int kClientSendBuffer = 16 * 1024;
constexpr size_t kReadChunk = 4096;
// A DATA table: the set names and at most 32 rows.
constexpr size_t kMaxDataLines = kLiveTableMaxRows + 1;

void Wake(int fd) {
    uint64_t one = 1;
    ssize_t written = write(fd, &one, sizeof(one));
    (void)written;
}

void Drain(int fd) {
    uint64_t count = 0;
    ssize_t got = read(fd, &count, sizeof(count));
    (void)got;
}

void CloseDescriptor(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// The show file named by a LOAD SHOW path, read and checked without
// touching the show; false with the reason.
bool ReadShowImageFile(const std::string& path, std::vector<uint8_t>& image, std::string& error) {
    if (!PathFits(path.c_str())) {
        error = "the path is longer than " + std::to_string(kMaxPathLength) + " characters";
        return false;
    }
    FILE* file = OpenRegularFile(path.c_str());
    if (!file) {
        error = FileErrorText(errno);
        return false;
    }
    image.resize(kShowFileReadLimit);
    size_t got = std::fread(image.data(), 1, image.size(), file);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    image.resize(got);
    const char* problem = failed ? "it could not be read" : ShowImageProblem(image.data(), static_cast<long>(got));
    if (problem) {
        error = problem;
        return false;
    }
    return true;
}

}  // namespace

struct LiveControlServer::Client {
    int id = 0;
    int fd = -1;
    std::string in;
    std::string out;
    bool awaiting = false;      // a command is with the play-out
    bool skippingLine = false;  // the rest of a line that was too long
    bool readClosed = false;    // the client sent all it will send
    bool drop = false;          // cut off: vanished, or not reading its answers
    std::vector<std::string> dataRows;
};

LiveControlServer::LiveControlServer() = default;

LiveControlServer::~LiveControlServer() {
    Stop();
}

bool LiveControlServer::Start(const std::string& address, int port, LiveDataGate* gate, Submit submit,
                              std::string& error) {
    Stop();
    gate_ = gate;
    submit_ = std::move(submit);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    std::string service = std::to_string(port);
    int looked = getaddrinfo(address.c_str(), service.c_str(), &hints, &found);
    if (looked != 0 || !found) {
        error = "cannot use the address \"" + address + "\": " + gai_strerror(looked);
        return false;
    }
    std::unique_ptr<addrinfo, void (*)(addrinfo*)> addresses(found, freeaddrinfo);
    listen_ = socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int yes = 1;
    if (listen_ < 0 || setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes)) != 0 ||
        bind(listen_, found->ai_addr, found->ai_addrlen) != 0 || ::listen(listen_, kListenBacklog) != 0) {
        error = "cannot listen on " + address + " port " + service + ": " + std::strerror(errno);
        CloseDescriptor(listen_);
        return false;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof(bound);
    getsockname(listen_, reinterpret_cast<sockaddr*>(&bound), &length);
    port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                              : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void LiveControlServer::Stop() {
    if (thread_.joinable()) {
        stopping_ = true;
        Wake(wake_);
        thread_.join();
        // The last answers (QUIT's) go out if the clients take them at once.
        TakeAnswers();
        for (auto& client : clients_) {
            ssize_t sent = send(client->fd, client->out.data(), client->out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            (void)sent;
        }
    }
    for (auto& client : clients_) {
        CloseDescriptor(client->fd);
    }
    clients_.clear();
    clientCount_ = 0;
    CloseDescriptor(listen_);
    CloseDescriptor(wake_);
}

void LiveControlServer::Answer(int client, const std::string& line) {
    {
        std::lock_guard<std::mutex> hold(answersLock_);
        answers_.emplace_back(client, line);
    }
    Wake(wake_);
}

void LiveControlServer::Run() {
    std::vector<pollfd> waits;
    while (!stopping_) {
        waits.clear();
        waits.push_back({wake_, POLLIN, 0});
        waits.push_back({listen_, POLLIN, 0});
        for (auto& client : clients_) {
            short events = 0;
            if (!client->readClosed && !client->awaiting && client->in.size() < kLiveCommandMaxLine) {
                events |= POLLIN;
            }
            if (!client->out.empty()) {
                events |= POLLOUT;
            }
            waits.push_back({client->fd, events, 0});
        }
        if (poll(waits.data(), waits.size(), -1) < 0 && errno != EINTR) {
            return;
        }
        if (waits[0].revents & POLLIN) {
            Drain(wake_);
            TakeAnswers();
        }
        if (waits[1].revents & POLLIN) {
            Accept();
        }
        for (size_t i = 0; i < clients_.size() && i + 2 < waits.size(); ++i) {
            Serve(*clients_[i], waits[i + 2].revents);
        }
        std::erase_if(clients_, [](const std::unique_ptr<Client>& client) {
            bool done = client->drop || (client->readClosed && !client->awaiting && client->out.empty());
            if (done) {
                CloseDescriptor(client->fd);
            }
            return done;
        });
        clientCount_ = static_cast<int>(clients_.size());
    }
}

void LiveControlServer::TakeAnswers() {
    std::deque<std::pair<int, std::string>> answers;
    {
        std::lock_guard<std::mutex> hold(answersLock_);
        answers.swap(answers_);
    }
    for (auto& [id, line] : answers) {
        for (auto& client : clients_) {
            if (client->id == id) {
                client->awaiting = false;
                Queue(*client, line);
                HandleLines(*client);
            }
        }
    }
}

void LiveControlServer::Accept() {
    for (;;) {
        int fd = accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        if (static_cast<int>(clients_.size()) >= kLiveControlMaxClients) {
            static const char kBusy[] = "ERR too many clients\n";
            ssize_t sent = send(fd, kBusy, sizeof(kBusy) - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            (void)sent;
            close(fd);
            continue;
        }
        int size = kClientSendBuffer;
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof(size));
        auto client = std::make_unique<Client>();
        client->id = nextClient_++;
        client->fd = fd;
        clients_.push_back(std::move(client));
    }
}

void LiveControlServer::Serve(Client& client, short events) {
    if (events & (POLLERR | POLLNVAL)) {
        client.drop = true;
        return;
    }
    if (events & POLLOUT) {
        ssize_t sent = send(client.fd, client.out.data(), client.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            client.out.erase(0, static_cast<size_t>(sent));
        } else if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            client.drop = true;
            return;
        }
    }
    if (events & (POLLIN | POLLHUP)) {
        char chunk[kReadChunk];
        ssize_t got = recv(client.fd, chunk, sizeof(chunk), MSG_DONTWAIT);
        if (got > 0) {
            client.in.append(chunk, static_cast<size_t>(got));
        } else if (got == 0) {
            client.readClosed = true;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            client.drop = true;
            return;
        }
    }
    HandleLines(client);
}

void LiveControlServer::HandleLines(Client& client) {
    while (!client.awaiting && !client.drop) {
        size_t end = client.in.find('\n');
        if (end == std::string::npos) {
            if (client.in.size() >= kLiveCommandMaxLine) {
                if (!client.skippingLine) {
                    Queue(client, "ERR the line is longer than " + std::to_string(kLiveCommandMaxLine) + " characters");
                }
                client.skippingLine = true;
                client.in.clear();
            }
            return;
        }
        std::string line = client.in.substr(0, end);
        client.in.erase(0, end + 1);
        if (client.skippingLine) {
            client.skippingLine = false;
            continue;
        }
        HandleLine(client, line);
    }
}

void LiveControlServer::HandleLine(Client& client, const std::string& line) {
    LiveRequest request;
    request.client = client.id;
    std::string error;
    if (!ParseLiveCommand(line, request.command, error)) {
        Queue(client, "ERR " + error);
        return;
    }
    switch (request.command.kind) {
        case LiveCommandKind::DataRow:
            if (client.dataRows.size() >= kMaxDataLines) {
                client.dataRows.clear();
                Queue(client, "ERR a table has at most 32 rows under its set names; the table is dropped");
                return;
            }
            client.dataRows.push_back(request.command.text);
            Queue(client, "OK row " + std::to_string(client.dataRows.size()));
            return;
        case LiveCommandKind::DataEnd:
            EndData(client, std::move(request));
            return;
        case LiveCommandKind::LoadShow:
            LoadShow(client, std::move(request));
            return;
        default:
            client.awaiting = true;
            submit_(std::move(request));
    }
}

void LiveControlServer::EndData(Client& client, LiveRequest&& request) {
    std::string text;
    for (const std::string& row : client.dataRows) {
        text += row + "\n";
    }
    client.dataRows.clear();
    std::string error;
    if (text.empty()) {
        Queue(client, "ERR no DATA rows were sent before DATA END");
        return;
    }
    request.data.source = "the remote control";
    if (!ParseLiveData(LiveDataKind::Table, text, request.data, error) ||
        (gate_ && !gate_->Admit(request.data, error))) {
        Queue(client, "ERR the table is refused: " + error + "; the chart keeps its data");
        return;
    }
    client.awaiting = true;
    submit_(std::move(request));
}

void LiveControlServer::LoadShow(Client& client, LiveRequest&& request) {
    std::string error;
    if (!ReadShowImageFile(request.command.text, request.showImage, error)) {
        Queue(client, "ERR can't read show file \"" + request.command.text + "\": " + error);
        return;
    }
    client.awaiting = true;
    submit_(std::move(request));
}

void LiveControlServer::Queue(Client& client, const std::string& line) {
    if (client.out.size() + line.size() + 1 > kLiveControlMaxPending) {
        client.drop = true;  // it does not read its answers
        return;
    }
    client.out += line;
    client.out += '\n';
}
