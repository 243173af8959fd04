// bench_engine: the scan engine over a corpus file, in MB/s.
//
//   bench_engine WORKLOAD CORPUS [OUTPUT] [WORDS]
// Workloads (each a definition built in code, scanned through XXINBUF like a file run):
//   readloop   the floor: read() in 64 KiB blocks and memchr for the byte 'R'
//   literal    start node "ERROR", counted
//   email      [a-z]+ "@" [a-z]+ "." [a-z]+ as a graph of five nodes; every match written
//              to the output file (its pieces through node references, then a line end)
//   date       one pattern [0-9]{4} - [0-9]{2} - [0-9]{2}; every date written out
//   words      a string set of the words in WORDS (one a line); every match written out
//   wliteral   the wide start node "ERROR" over UTF-16LE text, counted
//   wemail     the e-mail graph with 16-bit sets and wide texts over UTF-16LE text
// Prints one line: workload, MiB scanned, best seconds of two runs, MB/s, and the count
// (terminal-node matches, or for readloop the bytes found), which the benchmark script
// compares with grep and ripgrep.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/PXEngine.h"
#include "foundation/XXINBUF.h"
#include "foundation/XXSTREAM.h"

namespace {

using Clock = std::chrono::steady_clock;

// An output file written in large blocks.
class FileDest : public Destination {
public:
    explicit FileDest(const char* path) : file_(path ? std::fopen(path, "wb") : nullptr) {}
    ~FileDest() override {
        flush();
        if (file_) std::fclose(file_);
    }
    int32_t write(const unsigned char* b, int32_t n, bool) override { return add(reinterpret_cast<const char*>(b), n); }
    int32_t writeText(const char* t, int32_t n, bool) override { return add(t, n); }
    int32_t writeWide(const XXWCHAR* t, int32_t n, bool) override { return add(reinterpret_cast<const char*>(t), n * 2); }
    int32_t writeString(const XXSTRING& s, bool) override { return add(s.text(), s.length()); }
    int32_t writeWString(const XXWSTRING& s, bool) override {
        return add(reinterpret_cast<const char*>(s.text()), s.length() * 2);
    }
    int32_t putByte(unsigned char b) override {
        buffer_ += char(b);
        return 2;
    }
    int32_t flushBytes(bool) override {
        if (buffer_.size() > (1u << 20)) flush();
        return 2;
    }
    int32_t open() override { return 2; }
    int32_t reset() override { return 2; }
    int32_t notify(int32_t, const char*) override { return 2; }
    int32_t ensureOpen() override { return 2; }
    int32_t close() override { return 2; }
    void flush() {
        if (file_ && !buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
        buffer_.clear();
    }

private:
    int32_t add(const char* t, int32_t n) {
        buffer_.append(t, size_t(n));
        if (buffer_.size() > (1u << 20)) flush();
        return 2;
    }
    FILE* file_;
    std::string buffer_;
};

class Dests : public IDests {
public:
    explicit Dests(const char* path) : out(path) {}
    virtual ~Dests() = default;
    int32_t noop() override { return 2; }
    int32_t clear() override { return 2; }
    int32_t closeAll() override { return 2; }
    int32_t event(int32_t, int32_t) override { return 2; }
    int32_t exeSQL(const char*) override { return 0; }
    Destination* get(int32_t index) override { return index == kTraceDestination ? nullptr : &out; }
    FileDest out;
};

// --- definitions built in code -----------------------------------------------------------

void ranges(XXGRID& grid, XXGRID& sub, const char* name, std::vector<std::pair<int, int>> rs) {
    const int32_t r = grid.rowCount();
    grid.setText(0, r, name);
    auto rows = std::make_unique<XXROWLIST>();
    for (auto [a, b] : rs) {
        auto row = sub.newRow();
        row->field(0)->setValue(std::to_string(a).c_str());
        row->field(1)->setValue(std::to_string(b).c_str());
        rows->add(std::move(row));
    }
    grid.getCell(0, r)->setSubRows(std::move(rows));
}

void pattern(PXEngine& e, const char* name, std::vector<std::tuple<const char*, int, int>> elements) {
    const int32_t r = e.patterns.rowCount();
    e.patterns.setText(0, r, name);
    auto rows = std::make_unique<XXROWLIST>();
    for (auto [set, min, max] : elements) {
        auto row = e.patternElements.newRow();
        row->field(0)->setValue(set);
        row->field(1)->setValue(std::to_string(min).c_str());
        row->field(2)->setValue(std::to_string(max).c_str());
        rows->add(std::move(row));
    }
    e.patterns.getCell(0, r)->setSubRows(std::move(rows));
}

PXNode* node(PXGraph& g, const char* ref, const char* text, const char16_t* wide, const char* tag) {
    PXNode* n = g.addPXNode(0, 0);
    if (ref) n->setRefName(ref);
    if (text) n->setText(text);
    if (wide) n->setWText(wide);
    n->setTag(tag);
    return n;
}

void act(PXEngine& e, PXNode* n, const char* kind, std::vector<const char*> parms) {
    CAction* a = n->addAction(e.catalogue.make(kind));
    for (size_t i = 0; i < parms.size(); ++i) a->setParm(int32_t(i), parms[i], nullptr);
}

// [a-z]+ "@" [a-z]+ "." [a-z]+, writing the five pieces of a complete match and a line end.
void emailGraph(PXEngine& e, bool wide) {
    if (wide)
        ranges(e.sets16, e.sets16Ranges, "L", {{'a', 'z'}});
    else
        ranges(e.sets8, e.sets8Ranges, "L", {{'a', 'z'}});
    pattern(e, "W", {{"L", 1, 1000}});
    PXGraph& g = e.nodeGroups.main;
    PXNode* user = node(g, "W", nullptr, nullptr, "user");
    PXNode* at = node(g, nullptr, wide ? nullptr : "@", wide ? u"@" : nullptr, "at");
    PXNode* host = node(g, "W", nullptr, nullptr, "host");
    PXNode* dot = node(g, nullptr, wide ? nullptr : ".", wide ? u"." : nullptr, "dot");
    PXNode* top = node(g, "W", nullptr, nullptr, "top");
    g.addLink(*user, at->id());
    g.addLink(*at, host->id());
    g.addLink(*host, dot->id());
    g.addLink(*dot, top->id());
    act(e, top, "Send to", {"", "", "user"});
    act(e, top, "Append to", {"", "", "at"});
    act(e, top, "Append to", {"", "", "host"});
    act(e, top, "Append to", {"", "", "dot"});
    act(e, top, "Append to", {"", "", ""});
    act(e, top, "Append to", {"", "\n", ""});
}

bool build(PXEngine& e, const std::string& workload, const char* wordsPath) {
    PXGraph& g = e.nodeGroups.main;
    if (workload == "literal") {
        node(g, nullptr, "ERROR", nullptr, "");
    } else if (workload == "wliteral") {
        node(g, nullptr, nullptr, u"ERROR", "");
    } else if (workload == "email" || workload == "wemail") {
        emailGraph(e, workload == "wemail");
    } else if (workload == "date") {
        ranges(e.sets8, e.sets8Ranges, "D", {{'0', '9'}});
        ranges(e.sets8, e.sets8Ranges, "-", {{'-', '-'}});
        pattern(e, "Date", {{"D", 4, 4}, {"-", 1, 1}, {"D", 2, 2}, {"-", 1, 1}, {"D", 2, 2}});
        PXNode* n = node(g, "Date", nullptr, nullptr, "");
        act(e, n, "Send to", {"", "", ""});
        act(e, n, "Append to", {"", "\n", ""});
    } else if (workload == "words") {
        std::ifstream in(wordsPath ? wordsPath : "");
        e.stringSets.setText(0, 0, "Words");
        auto rows = std::make_unique<XXROWLIST>();
        for (std::string w; std::getline(in, w);) {
            if (w.empty()) continue;
            auto row = e.stringSetRows.newRow();
            row->field(0)->setValue("1");
            row->field(1)->setValue(w.c_str());
            rows->add(std::move(row));
        }
        if (rows->count() == 0) return false;
        e.stringSets.getCell(0, 0)->setSubRows(std::move(rows));
        PXNode* n = node(g, "Words", nullptr, nullptr, "");
        act(e, n, "Send to", {"", "", ""});
        act(e, n, "Append to", {"", "\n", ""});
    } else {
        return false;
    }
    return true;
}

double scanOnce(PXEngine& e, const char* corpus, int64_t& count) {
    XXSTREAM stream;
    if (!stream.open(corpus, XXSTREAM::readRaw)) return -1;
    XXINBUF buffer;
    buffer.setStream(&stream);
    PXInst run;
    run.engine = &e;
    run.buffer = &buffer;
    const auto start = Clock::now();
    e.phase(1, run);
    e.scanStream(run);
    e.phase(6, run);
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    count = run.matchCount;
    return s;
}

double readLoop(const char* corpus, int64_t& count) {
    const int fd = ::open(corpus, O_RDONLY);
    if (fd < 0) return -1;
    std::vector<char> block(65536);
    count = 0;
    const auto start = Clock::now();
    for (ssize_t n; (n = ::read(fd, block.data(), block.size())) > 0;) {
        const char* p = block.data();
        const char* end = p + n;
        while ((p = static_cast<const char*>(std::memchr(p, 'R', size_t(end - p))))) {
            ++count;
            ++p;
        }
    }
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    ::close(fd);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_engine WORKLOAD CORPUS [OUTPUT] [WORDS]\n");
        return 2;
    }
    const std::string workload = argv[1];
    const char* corpus = argv[2];
    const char* output = argc > 3 ? argv[3] : "/dev/null";
    XXSTREAM probe;
    if (!probe.open(corpus, XXSTREAM::readRaw)) {
        std::fprintf(stderr, "bench_engine: cannot read %s\n", corpus);
        return 1;
    }
    const double mib = double(probe.fileSize()) / (1 << 20);
    probe.close();

    double best = 1e300;
    int64_t count = 0;
    if (workload == "readloop") {
        for (int i = 0; i < 2; ++i) best = std::min(best, readLoop(corpus, count));
    } else {
        for (int i = 0; i < 2; ++i) {
            // A fresh engine and output per run, as a real run has.
            PXEngine e;
            e.buildSchema();
            Dests dests(output);
            e.setUp(nullptr, nullptr, &dests);
            if (!build(e, workload, argc > 4 ? argv[4] : nullptr)) {
                std::fprintf(stderr, "bench_engine: unknown workload %s\n", workload.c_str());
                return 2;
            }
            PXGrid destinations;
            destinations.setTitle(1045);
            destinations.addFld(XXFLD_ID::gen, 1286, 50);
            e.addGrid(destinations, false);
            if (e.prepare(true) != 2) {
                std::fprintf(stderr, "bench_engine: the definition does not prepare\n");
                return 1;
            }
            best = std::min(best, scanOnce(e, corpus, count));
        }
    }
    std::printf("%-10s %8.1f MiB %8.3f s %9.1f MB/s count %lld\n", workload.c_str(), mib, best,
                mib * 1.048576 / best, static_cast<long long>(count));
    return 0;
}
