// The stop key of console runs, on a pseudo-terminal standing in for the console.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <cstring>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

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
