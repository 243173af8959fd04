// Random definitions (tests/support/RandomDefinition.h) scanned with the fast search and
// matchers and with the plain path, over random inputs in memory and through sliding file
// windows: what they write, where observed nodes match and what they count must agree. A
// watchdog ends the program, naming the seed, when one scan takes too long or the memory
// grows without bound.
//
// By default a short run for `make test`. For a long run by hand:
//   QUILLON_RANDOM_SECONDS=1800 [QUILLON_RANDOM_SEED=N] engine_tests --gtest_filter='RandomDefinition*'
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>

#include "tests/engine/DifferentialFixture.h"
#include "tests/support/RandomDefinition.h"

namespace {

// Aborts the program when the scan under way lasts longer than its limit or the resident
// memory grows past a bound, after printing what was being scanned.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit) : limit_(limit), baseline_(residentBytes()), thread_([this] { watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void begin(std::string what) {
        std::lock_guard<std::mutex> lock(mutex_);
        what_ = std::move(what);
        since_ = std::chrono::steady_clock::now();
        busy_ = true;
    }
    void end() {
        std::lock_guard<std::mutex> lock(mutex_);
        busy_ = false;
    }

private:
    static int64_t residentBytes() {
        std::ifstream statm("/proc/self/statm");
        int64_t size = 0, resident = 0;
        statm >> size >> resident;
        return resident * 4096;
    }
    void watch() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stop_) {
            wake_.wait_for(lock, std::chrono::milliseconds(200));
            if (!busy_) continue;
            const bool slow = std::chrono::steady_clock::now() - since_ > limit_;
            const bool big = residentBytes() - baseline_ > (int64_t(1) << 30);
            if (slow || big) {
                std::fprintf(stderr, "random definitions: %s while scanning %s\n", slow ? "hang" : "runaway memory",
                             what_.c_str());
                std::abort();
            }
        }
    }

    std::chrono::seconds limit_;
    int64_t baseline_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::string what_;
    std::chrono::steady_clock::time_point since_;
    bool busy_ = false;
    bool stop_ = false;
    std::thread thread_;
};

class RandomDefinitionTest : public DifferentialTest {
protected:
    void build(const RandomDefinitionSpec& d) {
        for (const RandomSet& s : d.sets) {
            if (d.wide)
                set16(s.name, s.ranges);
            else
                set8(s.name, s.ranges);
        }
        for (const RandomPattern& p : d.patterns) {
            std::vector<Element> elements;
            for (const RandomElement& e : p.elements) elements.push_back({e.set, e.min, e.max});
            pattern(p.name, elements);
        }
        for (const RandomStringSet& s : d.stringSets) {
            std::vector<Item> items;
            for (const RandomItem& i : s.items) items.push_back({i.text, "", "", i.ignoreCase, i.enabled});
            stringSet(s.name, items);
        }
        counter("hits", 0);
        // Every scan starts from the initial values and ends by writing the final ones.
        for (const RandomVariable& v : d.variables) {
            variable(v.name, "");
            actionRow(engine.preStreamActions, "Send to", {v.name, v.initial, ""});
            actionRow(engine.postStreamActions, "Append to", {"", "=", v.name});
        }
        std::vector<std::pair<std::string, std::vector<std::string>>> group{{"IncCounter", {"hits"}}};
        if (!d.variables.empty()) group.push_back({"Append to", {"", "#", d.variables[0].name}});
        actionGroup("A", group);
        for (const RandomGraph& rg : d.graphs) {
            PXGraph& g = rg.name.empty() ? main() : *engine.nodeGroups.addGroup(rg.name.c_str());
            std::vector<PXNode*> nodes;
            for (const RandomNode& n : rg.nodes) {
                PXNode* node = nullptr;
                const std::string tag = (rg.name.empty() ? "N" : "G") + std::to_string(nodes.size());
                if (n.kind == RandomNode::referenceKind) {
                    node = refNode(g, n.reference.c_str(), tag.c_str());
                } else if (n.kind == RandomNode::wideKind) {
                    node = wideNode(g, std::u16string(n.text.begin(), n.text.end()).c_str(), tag.c_str());
                } else {
                    node = textNode(g, n.text.c_str(), tag.c_str());
                }
                if (n.ignoreCase) node->setIgnoreCase(true);
                if (!n.sendTo.empty()) act(node, "Send to", {n.sendTo, "", ""});
                if (!n.appendTo.empty()) act(node, "Append to", {n.appendTo, "", n.appendFrom});
                if (n.emits) observe(node);
                if (n.counts) act(node, "IncCounter", {"hits"});
                if (!n.writes.empty()) act(node, "Append to", {"", "+", n.writes});
                if (!n.runOver.empty()) act(node, "Run", {"G", n.runOver});
                if (n.group) act(node, "ExeActionGroup", {"A"});
                if (n.returns) act(node, "Return");
                nodes.push_back(node);
            }
            for (size_t i = 0; i < rg.nodes.size(); ++i)
                for (int32_t to : rg.nodes[i].links) link(nodes[i], nodes[size_t(to)]);
            g.setNode1(nodes[size_t(rg.start)]);
        }
    }

    // One definition against `inputs` random inputs, each both ways in every window size.
    void check(uint32_t seed, int32_t inputs, Watchdog& watchdog) {
        const RandomDefinitionSpec d = randomDefinition(seed);
        build(d);
        ASSERT_EQ(prepare(true), 2) << "seed " << seed << ": " << joined(errors());
        std::mt19937 rng(seed);
        TempDir dir;
        for (int32_t round = 0; round < inputs; ++round) {
            const std::string input = randomInput(d, rng, 300);
            for (int32_t window : {0, 23, 64}) {
                const std::string what = "seed " + std::to_string(seed) + " input " + std::to_string(round) +
                                         " window " + std::to_string(window);
                SCOPED_TRACE(what + " " + testing::PrintToString(input));
                std::string seen[2];
                int32_t hits[2] = {};
                for (bool fast : {false, true}) {
                    const int32_t before = counterValue("hits");   // counters run on across scans
                    watchdog.begin(what + (fast ? " (fast)" : " (plain)"));
                    seen[fast] = scanWith(input, fast, window, dir);
                    watchdog.end();
                    hits[fast] = counterValue("hits") - before;
                }
                ASSERT_EQ(seen[1], seen[0]);
                ASSERT_EQ(hits[1], hits[0]);
            }
        }
    }
};

int64_t environmentNumber(const char* name, int64_t fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoll(text) : fallback;
}

TEST(RandomDefinition, SameSeedSameDefinitionAndEveryShapeOccurs) {
    bool wide = false, group = false, emptyItem = false, largeMax = false, zeroMin = false, loop = false;
    bool variableElement = false, runOverVariable = false, runOverNode = false, actionGroup = false;
    bool selfAppend = false, sendAlone = false;
    for (uint32_t seed = 0; seed < 200; ++seed) {
        const RandomDefinitionSpec d = randomDefinition(seed);
        EXPECT_EQ(randomDefinition(seed).alphabet, d.alphabet);
        wide = wide || d.wide;
        group = group || d.graphs.size() > 1;
        for (const RandomStringSet& s : d.stringSets)
            for (const RandomItem& i : s.items) emptyItem = emptyItem || i.text.empty();
        for (const RandomPattern& p : d.patterns)
            for (const RandomElement& e : p.elements) {
                largeMax = largeMax || e.max >= 1000;
                zeroMin = zeroMin || e.min == 0;
                variableElement = variableElement || e.set[0] == 'V';
            }
        for (const RandomNode& n : d.graphs[0].nodes) {
            for (int32_t to : n.links) loop = loop || &d.graphs[0].nodes[size_t(to)] <= &n;
            runOverVariable = runOverVariable || n.runOver[0] == 'V';
            runOverNode = runOverNode || n.runOver[0] == 'N';
            actionGroup = actionGroup || n.group;
            selfAppend = selfAppend || (!n.appendTo.empty() && n.appendFrom == n.appendTo);
            sendAlone = sendAlone || (!n.sendTo.empty() && n.appendTo.empty() && !n.emits && !n.counts && !n.group);
        }
    }
    EXPECT_TRUE(wide && group && emptyItem && largeMax && zeroMin && loop);
    EXPECT_TRUE(variableElement && runOverVariable && runOverNode && actionGroup && selfAppend && sendAlone);
}

// Each definition in a fresh engine: seeds one after another, for a few seconds by default.
TEST(RandomDefinition, FastAndPlainPathsAgree) {
    const int64_t seconds = environmentNumber("QUILLON_RANDOM_SECONDS", 0);
    const auto first = uint32_t(environmentNumber("QUILLON_RANDOM_SEED", 1));
    const int64_t definitions = seconds > 0 ? INT64_MAX : 60;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    Watchdog watchdog(std::chrono::seconds(20));
    int64_t done = 0;
    for (uint32_t seed = first; done < definitions; ++seed, ++done) {
        if (seconds > 0 && std::chrono::steady_clock::now() > until) break;
        struct One : RandomDefinitionTest {
            void TestBody() override {}
            void checkSeed(uint32_t s, int32_t inputs, Watchdog& w) { check(s, inputs, w); }
        } one;
        one.checkSeed(seed, seconds > 0 ? 20 : 5, watchdog);
        if (testing::Test::HasFatalFailure()) break;
    }
    std::printf("random definitions: %lld checked from seed %u\n", static_cast<long long>(done), first);
}

}  // namespace
