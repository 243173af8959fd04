// Definitions and inputs that once crashed the engine, hung it, or made its memory or time
// grow without bound (found by scanning random definitions over random inputs). Each folder
// of tests/library/reproducers holds one, run here through quilrun as a user would: every
// run must end in time, exit normally, and say once, in plain words, what it refused.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/library/Process.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// Longer than any of these runs takes under the sanitizers, far shorter than a hang.
constexpr const char* kTimeLimit = "120";

struct Reproducer {
    std::string folder;
    std::string definition;
    std::string input;     // a file of the folder, or "-" for `block` on standard input
    std::string block;     // the file scanned as one memory block, or ""
    std::string message;   // what the run must say exactly once on standard error, or ""
};

size_t occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

// Copies the reproducer's folder into `dir` (the run writes its outputs and log beside the
// definition, and the source tree stays as it is).
void copyFolder(const std::string& folder, const TempDir& dir) {
    const fs::path source = fs::path(std::getenv("QUILLON_SOURCE_DIR")) / "tests/library/reproducers" / folder;
    for (const auto& entry : fs::directory_iterator(source))
        dir.write(entry.path().filename().string(), TempDir::read(entry.path().string()));
}

ProcessResult quilrun(const TempDir& dir, const std::string& definition, const std::string& input,
                      const std::string& stdinBytes = "") {
    ProcessOptions options;
    options.dir = dir.path().string();
    options.input = stdinBytes;
    return runProcess("/usr/bin/timeout", {kTimeLimit, binary("quilrun"), "-q", "--force", definition, input}, options);
}

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(Reproducers, EveryRunEndsAndSaysOnceWhatItRefused) {
    const std::vector<Reproducer> cases = {
        // A start node whose string set has no enabled item, over more than one window.
        {"A1-heap-overflow-disabled-stringset", "disabled.QXD", "in70k.txt", "", ""},
        {"C1-self-action-group", "selfgroup.QXD", "in.txt", "",
         "quilrun: action group A: nested more than 100 levels deep; the scan of this input ends here\n"},
        {"C2-run-main-from-main", "selfmain.QXD", "in.txt", "",
         "quilrun: Run Main: nested more than 100 levels deep; the scan of this input ends here\n"},
        {"H1-group-missing", "nogroupfile.QXD", "in4.txt", "", "Unable to open:\n"},
        {"H2-empty-variable", "emptyvar.QXD", "in3.txt", "", ""},
        {"H3-group-start-with-run", "grouprun.QXD", "ab.txt", "", ""},
        {"H5-memory-only-hang", "fz.QXD", "-", "scan1.mem.dat", ""},
        {"M1-self-append", "self.QXD", "in64.txt", "",
         "quilrun: Append to V: the value would grow beyond 16777216 bytes; what did not fit was left out\n"},
    };
    for (const Reproducer& r : cases) {
        SCOPED_TRACE(r.folder);
        TempDir dir;
        copyFolder(r.folder, dir);
        if (r.folder.rfind("A1", 0) == 0) dir.write(r.input, std::string(70000, 'x'));
        const ProcessResult result =
            quilrun(dir, r.definition, r.input, r.block.empty() ? "" : TempDir::read(dir.file(r.block)));
        EXPECT_EQ(result.status, 0) << "(124: it hung)\n" << result.err;
        EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("runtime error"), std::string::npos) << result.err;
        if (!r.message.empty()) EXPECT_EQ(occurrences(result.err, r.message), 1u) << result.err;
    }
}

TEST(Reproducers, ScanTimeGrowsLinearlyWithTheBlock) {
    TempDir dir;
    copyFolder("S1-quadratic", dir);
    const std::string block = TempDir::read(dir.file("scan1.mem.dat"));
    ASSERT_GE(block.size(), 65536u);
    // Processor time of the runs alone: the cost of starting quilrun (an empty block) is
    // taken off, so a fourfold block takes about four times as long, not sixteen.
    auto cpuFor = [&](size_t bytes) {
        const double before = childCpuSeconds();
        const ProcessResult r = quilrun(dir, "fz.QXD", "-", block.substr(0, bytes));
        EXPECT_EQ(r.status, 0) << r.err;
        return childCpuSeconds() - before;
    };
    const double start = cpuFor(0);
    const double quarter = cpuFor(16384) - start;
    const double whole = cpuFor(65536) - start;
    EXPECT_LT(whole, 8 * std::max(quarter, 0.05)) << "16 KB: " << quarter << " s, 64 KB: " << whole << " s";
}

}  // namespace
