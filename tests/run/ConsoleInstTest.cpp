// The stop key of console runs, on a pseudo-terminal standing in for the console.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#include "run/ConsoleInst.h"

namespace {

// Makes a pseudo-terminal standard input for the life of the object.
class TerminalInput {
public:
    TerminalInput() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        const int slave = open(ptsname(master_), O_RDWR | O_NOCTTY);
        if (slave < 0) return;
        saved_ = dup(STDIN_FILENO);
        dup2(slave, STDIN_FILENO);
        close(slave);
    }
    ~TerminalInput() {
        if (saved_ >= 0) {
            dup2(saved_, STDIN_FILENO);
            close(saved_);
        }
        if (master_ >= 0) close(master_);
    }
    bool ready() const { return saved_ >= 0; }
    int master() const { return master_; }
    void type(const char* keys) { ASSERT_GT(write(master_, keys, strlen(keys)), 0); }

private:
    int master_ = -1;
    int saved_ = -1;
};

TEST(ConsoleInst, TheStopKeyHaltsTheRunAndTheTerminalIsGivenBack) {
    TerminalInput terminal;
    ASSERT_TRUE(terminal.ready());
    termios before{};
    ASSERT_EQ(tcgetattr(STDIN_FILENO, &before), 0);
    {
        ConsoleInst run;
        termios during{};
        tcgetattr(STDIN_FILENO, &during);
        EXPECT_EQ(during.c_lflag & ICANON, 0u) << "keys come without Enter";
        terminal.type("x");
        EXPECT_FALSE(run.checkStop());
        EXPECT_EQ(run.getHalt(), 0);
        terminal.type("aS");
        EXPECT_TRUE(run.checkStop());
        EXPECT_EQ(run.getHalt(), 2);
        EXPECT_TRUE(run.haltAtLeast(2));
    }
    termios after{};
    ASSERT_EQ(tcgetattr(STDIN_FILENO, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
}

TEST(ConsoleInst, ASignalThatEndsTheRunGivesTheTerminalBack) {
    TerminalInput terminal;
    ASSERT_TRUE(terminal.ready());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ConsoleInst run;
        raise(SIGTERM);
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    termios after{};
    ASSERT_EQ(tcgetattr(STDIN_FILENO, &after), 0);
    EXPECT_EQ(after.c_lflag & (ICANON | ECHO), tcflag_t(ICANON | ECHO));
}

TEST(ConsoleInst, ARunInTheBackgroundLeavesTheTerminalAlone) {
    // A session of its own whose controlling terminal is a pseudo-terminal, and a job in it
    // that is not the terminal's foreground: changing the terminal would stop that job.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string name = ptsname(master);
    const pid_t leader = fork();
    ASSERT_GE(leader, 0);
    if (leader == 0) {
        setsid();
        const int tty = open(name.c_str(), O_RDWR);
        if (tty < 0) _exit(10);
        dup2(tty, STDIN_FILENO);
        const pid_t job = fork();
        if (job == 0) {
            setpgid(0, 0);
            {
                ConsoleInst run;
                run.checkStop();
            }
            _exit(0);
        }
        setpgid(job, job);
        int status = 0;
        waitpid(job, &status, WUNTRACED);
        if (WIFSTOPPED(status)) {
            kill(job, SIGKILL);
            _exit(11);
        }
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 12);
    }
    int status = 0;
    ASSERT_EQ(waitpid(leader, &status, 0), leader);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "11: the job was stopped; status " << status;
    termios after{};
    ASSERT_EQ(tcgetattr(master, &after), 0);
    EXPECT_NE(after.c_lflag & ICANON, 0u);
    close(master);
}

TEST(ConsoleInst, WithoutATerminalOnlyTheHaltLevelCounts) {
    const int saved = dup(STDIN_FILENO);
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    close(null);
    {
        ConsoleInst run;
        EXPECT_FALSE(run.checkStop());
        run.setHalt(1);
        EXPECT_TRUE(run.haltRequested());
        EXPECT_FALSE(run.haltAtLeast(2));
    }
    dup2(saved, STDIN_FILENO);
    close(saved);
}

}  // namespace
