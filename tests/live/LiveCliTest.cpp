// tavrilo-render --live as a program: the stream read from its standard
// output in a pipe, and a recording, each ended by SIGTERM and checked to
// end cleanly with every frame the program says it sent; the live options'
// rules. A watchdog ends a program that does not stop, so no test waits
// for ever.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <regex>
#include <thread>

#include "Options.h"
#include "StreamProbe.h"
#include "TestSupport.h"

namespace {

constexpr auto kWatchdog = std::chrono::seconds(90);

// tavrilo-render started with its standard output (and error, when asked)
// in pipes; killed by the watchdog if it is still running at the end.
class Program {
public:
    explicit Program(const std::vector<std::string>& arguments) {
        int out[2] = {-1, -1};
        int err[2] = {-1, -1};
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
        std::vector<std::string> all = {std::string(TAVRILO_BIN_DIR) + "/tavrilo-render"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(err[1], STDERR_FILENO);
            std::vector<char*> argv;
            for (std::string& argument : all) {
                argv.push_back(argument.data());
            }
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
        watchdog_ = std::thread([this] {
            std::unique_lock<std::mutex> hold(lock_);
            if (!done_.wait_for(hold, kWatchdog, [this] { return finished_; })) {
                kill(pid_, SIGKILL);
            }
        });
    }
    ~Program() {
        Wait();
        close(out_);
        close(err_);
    }
    int Output() const { return out_; }
    // The standard error lines read so far, waiting (bounded) for one that
    // contains `text`.
    std::string ErrorUntil(const std::string& text) {
        while (errors_.find(text) == std::string::npos) {
            pollfd wait{err_, POLLIN, 0};
            if (poll(&wait, 1, 30000) <= 0) {
                break;
            }
            char chunk[1024];
            ssize_t got = read(err_, chunk, sizeof(chunk));
            if (got <= 0) {
                break;
            }
            errors_.append(chunk, static_cast<size_t>(got));
        }
        return errors_;
    }
    void Signal(int number) { kill(pid_, number); }
    // The exit status (-1: not a normal exit).
    int Wait() {
        if (pid_ > 0) {
            int status = 0;
            waitpid(pid_, &status, 0);
            exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            pid_ = -1;
            std::lock_guard<std::mutex> hold(lock_);
            finished_ = true;
            done_.notify_all();
        }
        if (watchdog_.joinable()) {
            watchdog_.join();
        }
        return exit_;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    int exit_ = -1;
    std::string errors_;
    std::thread watchdog_;
    std::mutex lock_;
    std::condition_variable done_;
    bool finished_ = false;
};

// "N frames out" from the program's last line.
long FramesOut(const std::string& errors) {
    std::smatch match;
    static const std::regex kOut("live ended \\(stopped\\): ([0-9]+) frames out");
    return std::regex_search(errors, match, kOut) ? std::stol(match[1]) : -1;
}

std::vector<std::string> Small(std::vector<std::string> more) {
    std::vector<std::string> arguments = {"--size", "96x72", "--no-fields", "--aa", "0"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

class LiveCliTest : public ::testing::Test {
protected:
    ScopedSettings settings;
    TempFolder folder;
};

}  // namespace

TEST_F(LiveCliTest, StandardOutputCarriesNutThatEndsCleanlyOnSigterm) {
    Program program(Small({"--live", "-"}));
    ASSERT_NE(program.ErrorUntil("live to - (nut)").find("live to - (nut)"), std::string::npos);
    StreamFacts facts;
    // Read the pipe as a receiving program would; stop the sender after 45
    // frames and read on to the end of what it sent.
    bool read = ProbeStream(
        "pipe:" + std::to_string(program.Output()), facts,
        [&](int index, const AVFrame&) {
            if (index == 45) {
                program.Signal(SIGTERM);
            }
        },
        "nut");
    ASSERT_TRUE(read);
    EXPECT_EQ(program.Wait(), 0);
    const std::string errors = program.ErrorUntil("frames out");
    const long sent = FramesOut(errors);
    ASSERT_GT(sent, 45) << errors;
    EXPECT_EQ(facts.codec, "h264");
    ASSERT_EQ(static_cast<long>(facts.packets.size()), sent);
    EXPECT_EQ(facts.decodedFrames, sent);
    EXPECT_EQ(facts.decodeErrors, 0);
    EXPECT_TRUE(facts.endedCleanly);
    std::string bad;
    EXPECT_TRUE(TimestampsStep(facts, av_rescale_q(1, AVRational{1001, 30000}, facts.timeBase), bad)) << bad;
}

TEST_F(LiveCliTest, ARecordingStoppedBySigtermIsFinishedAndHoldsEveryFrame) {
    const std::string path = folder.File("on air.mp4");
    Program program(Small({"--live", path, "--control", "0"}));
    std::string errors = program.ErrorUntil("live to ");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(errors, match, std::regex("remote control on 127.0.0.1 port ([0-9]+)"))) << errors;
    // Ask how far it is until a second has gone out, then stop it.
    {
        int port = std::stoi(match[1]);
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        timeval wait{10, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
        ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        long out = 0;
        for (int i = 0; i < 100000 && out < 30; ++i) {
            ASSERT_EQ(send(fd, "STATUS\n", 7, MSG_NOSIGNAL), 7);
            char line[512] = {};
            ssize_t got = recv(fd, line, sizeof(line) - 1, 0);
            ASSERT_GT(got, 0);
            const char* at = std::strstr(line, " out ");
            ASSERT_NE(at, nullptr) << line;
            out = std::atol(at + 5);
        }
        close(fd);
    }
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
    errors = program.ErrorUntil("frames out");
    const long sent = FramesOut(errors);
    ASSERT_GE(sent, 30) << errors;
    // The file is in place under its name (no temporary left), and the
    // QuickTime index the trailer writes is there: it opens and holds all.
    EXPECT_FALSE(std::ifstream(path + ".making~").good());
    StreamFacts facts;
    ASSERT_TRUE(ProbeStream(path, facts)) << errors;
    EXPECT_EQ(facts.format.find("mp4") != std::string::npos, true) << facts.format;
    ASSERT_EQ(static_cast<long>(facts.packets.size()), sent);
    EXPECT_EQ(facts.decodedFrames, sent);
    std::string bad;
    EXPECT_TRUE(TimestampsStep(facts, av_rescale_q(1, AVRational{1001, 30000}, facts.timeBase), bad)) << bad;
}

namespace {

std::string OptionError(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "tavrilo-render");
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    RenderOptions options;
    std::string error;
    EXPECT_FALSE(ParseRenderOptions(static_cast<int>(argv.size()), argv.data(), options, error));
    return error;
}

}  // namespace

TEST(LiveOptions, GoTogetherAsDocumented) {
    EXPECT_EQ(OptionError({"--watch", "data.txt"}), "--watch needs --live URL");
    EXPECT_EQ(OptionError({"--control", "9000"}), "--control needs --live URL");
    EXPECT_EQ(OptionError({"--live", "-", "--info"}),
              "--live - sends the stream to standard output; --info and --eval cannot share it");
    EXPECT_EQ(OptionError({"--live", "a.ts", "-o", "b.mov"}),
              "--live plays the show as it goes; -o cannot be given with it");
    EXPECT_EQ(OptionError({"--live", "a.ts", "--key"}),
              "--live plays the show as it goes; --key (use --live-key URL) cannot be given with it");
    EXPECT_EQ(OptionError({"--live", "a.ts", "--live-key", "a.ts"}),
              "--live-key needs a destination of its own, not the fill's");
    EXPECT_EQ(OptionError({"--live", "a.ts", "--control-bind", "::1"}), "--control-bind needs --control PORT");
    EXPECT_EQ(OptionError({"--live", "a.ts", "--control", "70000"}),
              "--control takes a port number from 1 to 65535 (0: any free port), not \"70000\"");
    EXPECT_NE(OptionError({"--live", "http://example.com/x"}).find("only udp://, srt:// and rtmp://"),
              std::string::npos);
    EXPECT_EQ(OptionError({"--live", "a.ts", "--morph", "1s"}),
              "--morph takes a timecode such as 00:00:03:10, not \"1s\"");
}
