// The remote control over TCP on 127.0.0.1, with the play-out running on
// the system's clock: every command and malformed line answered as
// docs/live.md says, and a client that never reads its answers cut off
// while the frames go on. Every wait is bounded.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "LiveControl.h"
#include "LiveSupport.h"

namespace {

// A client of the control port, with receive and send waits bounded.
class ControlClient {
public:
    explicit ControlClient(int port, int receiveBuffer = 0) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (receiveBuffer > 0) {
            setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof(receiveBuffer));
        }
        timeval wait{10, 0};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
        setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof(wait));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~ControlClient() { close(fd_); }
    bool Connected() const { return connected_; }
    bool Send(const std::string& text) {
        return send(fd_, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
    }
    // The next answer line ("" when none came).
    std::string Line() {
        for (;;) {
            size_t end = buffered_.find('\n');
            if (end != std::string::npos) {
                std::string line = buffered_.substr(0, end);
                buffered_.erase(0, end + 1);
                return line;
            }
            char chunk[4096];
            ssize_t got = recv(fd_, chunk, sizeof(chunk), 0);
            if (got <= 0) {
                return "";
            }
            buffered_.append(chunk, static_cast<size_t>(got));
        }
    }
    std::string Ask(const std::string& line) { return Send(line + "\n") ? Line() : "(not sent)"; }

private:
    int fd_ = -1;
    bool connected_ = false;
    std::string buffered_;
};

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(server.Start(
            "127.0.0.1", 0, &gate, [this](LiveRequest&& request) { playout.Submit(std::move(request)); }, error))
            << error;
        playout.SetAnswer([this](int client, const std::string& line) { server.Answer(client, line); });
    }
    void TearDown() override { server.Stop(); }

    // Runs the play-out on this thread (it owns GL) while `talk` runs as a
    // client; the play-out is stopped when the talk ends, whatever happened.
    void RunWith(const std::function<void()>& talk) {
        std::thread client([&] {
            talk();
            playout.RequestStop();
        });
        outcome = playout.Run();
        client.join();
    }

    LiveShow live;
    Show& show = live.Get();
    SteadyLiveClock clock;
    CatchOutputs outputs;
    LivePlayout playout{show, clock, outputs, SmallConfig()};
    LiveDataGate gate;
    LiveControlServer server;
    LiveOutcome outcome;
    TempFolder folder;
};

bool StartsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

}  // namespace

TEST_F(ControlTest, AnswersEveryCommandAndMalformedLineAsDocumented) {
    const std::string good = folder.File("good.tvr");
    const std::string notShow = folder.File("table.txt");
    ASSERT_TRUE(SaveShowFile(show, MakeFileSpec(good.c_str())));
    ASSERT_TRUE(WriteText(notShow, "\tA\nx\t1\n"));
    std::vector<std::pair<std::string, std::string>> talk;
    RunWith([&] {
        ControlClient client(server.Port());
        ASSERT_TRUE(client.Connected());
        for (const std::string& line : {std::string("STATUS"),
                                        std::string("STOP"),
                                        std::string("PLAY"),
                                        std::string("GOTO 00:00:02:00"),
                                        std::string("KEY 2"),
                                        std::string("KEY 7"),
                                        std::string("DATA \tYes"),
                                        std::string("DATA North\t12"),
                                        std::string("DATA END"),
                                        std::string("DATA \tYes\tNo"),
                                        std::string("DATA North\t1\t2"),
                                        std::string("DATA END"),
                                        std::string("DATA END"),
                                        std::string("DATA North\tmany"),
                                        std::string("DATA END"),
                                        "LOAD SHOW " + folder.File("missing.tvr"),
                                        "LOAD SHOW " + notShow,
                                        "LOAD SHOW " + good,
                                        std::string("BOGUS"),
                                        std::string("GOTO soon"),
                                        std::string("play again"),
                                        std::string(5000, 'x'),
                                        std::string("status"),
                                        std::string("QUIT")}) {
            talk.emplace_back(line.size() > 60 ? "(a long line)" : line, client.Ask(line));
        }
    });
    ASSERT_TRUE(outcome.quit);
    ASSERT_EQ(talk.size(), 24u);
    auto answer = [&](size_t i) { return talk[i].first + " -> " + talk[i].second; };
    EXPECT_TRUE(StartsWith(talk[0].second, "OK frame ")) << answer(0);
    EXPECT_NE(talk[0].second.find(" data 0 playing"), std::string::npos) << answer(0);
    EXPECT_TRUE(StartsWith(talk[1].second, "OK stopped at ")) << answer(1);
    EXPECT_TRUE(StartsWith(talk[2].second, "OK playing from ")) << answer(2);
    EXPECT_EQ(talk[3].second, "OK at 00:00:02:00, playing");
    EXPECT_TRUE(StartsWith(talk[4].second, "OK moving to key 2 at ")) << answer(4);
    EXPECT_EQ(talk[5].second, "ERR there is no key 7: the show has 3 keys");
    EXPECT_EQ(talk[6].second, "OK row 1");
    EXPECT_EQ(talk[7].second, "OK row 2");
    EXPECT_EQ(talk[8].second, "OK data version 1");
    EXPECT_EQ(talk[9].second, "OK row 1");
    EXPECT_EQ(talk[10].second, "OK row 2");
    EXPECT_TRUE(StartsWith(talk[11].second, "ERR the table is refused: it has another shape")) << answer(11);
    EXPECT_EQ(talk[12].second, "ERR no DATA rows were sent before DATA END");
    EXPECT_EQ(talk[13].second, "OK row 1");
    EXPECT_TRUE(StartsWith(talk[14].second, "ERR the table is refused: ")) << answer(14);
    EXPECT_TRUE(StartsWith(talk[15].second, "ERR can't read show file ")) << answer(15);
    EXPECT_NE(talk[15].second.find("No such file"), std::string::npos) << answer(15);
    EXPECT_TRUE(StartsWith(talk[16].second, "ERR can't read show file ")) << answer(16);
    EXPECT_TRUE(StartsWith(talk[17].second, "OK loaded " + good)) << answer(17);
    EXPECT_EQ(talk[18].second, "ERR unknown command \"BOGUS\"");
    EXPECT_EQ(talk[19].second, "ERR GOTO takes a timecode such as 00:00:10:00");
    EXPECT_EQ(talk[20].second, "ERR PLAY takes nothing after it");
    EXPECT_EQ(talk[21].second, "ERR the line is longer than 4096 characters");
    // The refused tables and lines changed nothing: still data version 1.
    EXPECT_TRUE(StartsWith(talk[22].second, "OK frame ")) << answer(22);
    EXPECT_NE(talk[22].second.find(" data 1 playing"), std::string::npos) << answer(22);
    EXPECT_EQ(talk[23].second, "OK ending the stream");
    EXPECT_EQ(show.values[0][0], 12.0f);  // DATA's table, kept through LOAD SHOW
}

TEST_F(ControlTest, AClientThatNeverReadsIsCutOffAndTheFramesGoOn) {
    bool cutOff = false;
    int64_t firstOut = -1;
    int64_t lastOut = -1;
    RunWith([&] {
        ControlClient watcher(server.Port());
        ControlClient silent(server.Port(), 4096);
        ASSERT_TRUE(watcher.Connected());
        ASSERT_TRUE(silent.Connected());
        // The silent client sends rows (each answered at once) and reads
        // nothing, until the server gives up on it.
        const std::string rows = [] {
            std::string text;
            for (int i = 0; i < 1000; ++i) {
                text += "DATA x\t1\n";
            }
            return text;
        }();
        for (int i = 0; i < 5000 && !cutOff; ++i) {
            cutOff = !silent.Send(rows);
        }
        auto outOf = [](const std::string& status) {
            size_t at = status.find(" out ");
            return at == std::string::npos ? -1 : std::stoll(status.substr(at + 5));
        };
        firstOut = outOf(watcher.Ask("STATUS"));
        for (int i = 0; i < 100000 && lastOut < firstOut + 60; ++i) {
            lastOut = outOf(watcher.Ask("STATUS"));
            if (lastOut < 0) {
                break;
            }
        }
        watcher.Ask("QUIT");
    });
    EXPECT_TRUE(cutOff);
    ASSERT_GE(firstOut, 0);
    EXPECT_GE(lastOut, firstOut + 60);  // two more seconds of frames went out meanwhile
}
