// Independent clients from NewQN01: their status, the names they serve, and two clients
// running different definitions on two threads at once, each with its own results, outputs
// and log. (The C view of their function table is what examples/host uses.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "tests/library/QuilcoreLibrary.h"
#include "tests/library/TestDefinitions.h"
#include "tests/support/TempDir.h"

namespace {

// Destroys a client with ZapQN01 when it goes.
struct Client {
    IQN01* q;
    Client() : q(QuilcoreLibrary::instance().newClient()) {}
    ~Client() { QuilcoreLibrary::instance().zapClient(q); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    IQN01* operator->() const { return q; }

    std::string value(const char* grid, const char* key, int32_t field) const {
        const char* v = nullptr;
        int32_t length = 0;
        q->get(grid, key, field, &v, &length);
        return valueText(v, length);
    }
};

class Clients : public testing::Test {
protected:
    Clients() {
        search.log = dir.file("words.log");
        definition = writeWordSearch(dir.path().string(), "Words", search);
    }
    TempDir dir;
    WordSearch search;
    std::string definition;
};

TEST_F(Clients, StatusFollowsTheLastLoad) {
    Client c;
    ASSERT_NE(c.q, nullptr);
    c->setMsg(keepMessage);
    EXPECT_EQ(c->status(), 0);
    EXPECT_EQ(c->load(definition.c_str()), 2);
    EXPECT_EQ(c->status(), 2);
    EXPECT_EQ(c->load(dir.file("Missing").c_str()), 0);
    EXPECT_EQ(c->status(), 0);
    // Nothing is scanned without a definition, but the call still completes and writes
    // the log lines of a run, in the default log of the current directory.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_EQ(c->scan("ALERT\n", 6), 2);
    std::filesystem::current_path(previous);
    EXPECT_EQ(c.value("Variables", "Total", 2), "");
    EXPECT_NE(TempDir::read(dir.file("Log.tmp")).find("run complete"), std::string::npos);
    takeMessages();
}

TEST_F(Clients, EnumerateServesTheGridsThenNode) {
    Client c;
    ASSERT_EQ(c->load(definition.c_str()), 2);
    int32_t n = 0;
    ASSERT_EQ(c->count(&n), 2);
    ASSERT_GT(n, 1);
    std::vector<std::string> names;
    for (int32_t i = 0; i < n; ++i) {
        const char* name = nullptr;
        int32_t type = -1;
        int32_t rows = -1;
        ASSERT_EQ(c->enumerate(i, &name, &type, &rows), 2) << i;
        names.emplace_back(name);
        int32_t byName = -1;
        EXPECT_EQ(c->getInt(name, &byName), 2) << name;
        EXPECT_EQ(byName, rows) << name;
        if (i == n - 1) {
            EXPECT_EQ(type, 4);
        }
    }
    EXPECT_EQ(names.back(), "Node");
    EXPECT_NE(std::find(names.begin(), names.end(), "Counters"), names.end());
    EXPECT_EQ(c->enumerate(n, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(c->enumerate(0, nullptr, nullptr, nullptr), 2);
}

// Two clients, two definitions, two threads: every run of each sees only its own words,
// and each log names only its own definition.
TEST(ClientThreads, TwoClientsRunDifferentDefinitionsAtOnce) {
    struct Side {
        const char* word;
        const char* block;
        const char* total;
        TempDir dir;
        std::string definition;
        std::string file;
        bool ok = true;
    };
    Side sides[2] = {{"ALERT", "ALERT a\nFAIL b\nalert c\n", "2", {}, {}, {}},
                     {"FAIL", "ALERT a\nFAIL b\nALERT c\nfail d\nFAIL e\n", "3", {}, {}, {}}};
    for (Side& s : sides) {
        WordSearch search;
        search.word = s.word;
        search.log = s.dir.file("run.log");
        search.ownInput = s.dir.file("*.txt");
        search.outputSpec = s.dir.file("*.hits");
        s.dir.write("one.txt", s.block);
        s.dir.write("two.txt", s.block);
        s.definition = writeWordSearch(s.dir.path().string(), s.word, search);
    }
    QuilcoreLibrary::instance();   // loaded before the threads start

    constexpr int kRounds = 20;
    std::latch start(2);
    auto work = [&start](Side& s) {
        // Both clients are made and loaded at the same time, not one after the other.
        start.arrive_and_wait();
        Client c;
        c->setMsg(keepMessage);
        if (c->load(s.definition.c_str()) != 2) {
            s.ok = false;
            return;
        }
        for (int i = 0; i < kRounds && s.ok; ++i) {
            s.ok = c->scan(s.block, int32_t(std::string(s.block).size())) == 2 &&
                   c.value("Variables", "Total", 2) == s.total;
            // Every other round over the definition's own files.
            if (s.ok && i % 2 == 1) s.ok = c->run() == 2;
        }
    };
    std::thread first(work, std::ref(sides[0]));
    std::thread second(work, std::ref(sides[1]));
    first.join();
    second.join();
    takeMessages();

    for (Side& s : sides) {
        SCOPED_TRACE(s.word);
        EXPECT_TRUE(s.ok);
        const std::string log = TempDir::read(s.dir.file("run.log"));
        EXPECT_NE(log.find("[" + s.definition + "]"), std::string::npos) << log;
        EXPECT_NE(log.find("Files scanned:  2"), std::string::npos) << log;
        for (const Side& other : sides)
            if (&other != &s) {
                EXPECT_EQ(log.find(other.definition), std::string::npos) << log;
            }
        // Only this side's word, in any case, reached its outputs.
        std::string expected;
        for (std::string line; const char c : std::string(s.block)) {
            line += c;
            if (c != '\n') continue;
            std::string upper = line;
            for (char& u : upper) u = char(toupper(u));
            if (upper.rfind(s.word, 0) == 0) expected += line;
            line.clear();
        }
        EXPECT_EQ(TempDir::read(s.dir.file("one.hits")), expected);
        EXPECT_EQ(TempDir::read(s.dir.file("two.hits")), expected);
    }
}

}  // namespace
