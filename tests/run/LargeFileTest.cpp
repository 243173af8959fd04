// A multi-gigabyte input is read through the sliding window: memory stays flat, and matches
// past the 4 GiB mark are found.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "tests/run/RunFixture.h"

namespace {

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(LargeFile, MemoryStaysFlatOverAFileOfGigabytes) {
    Workspace ws;
    // Sparse, so it costs no disk; past 4 GiB, so offsets need 64 bits.
    const int64_t size = (int64_t(1) << 32) + (int64_t(1) << 24);
    const std::string path = ws.path("big.bin");
    {
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, size), 0);
        const std::string first = "ERROR at the start\n";
        const std::string last = "ERROR at the end\n";
        ASSERT_EQ(pwrite(fd, first.data(), first.size(), 1000), ssize_t(first.size()));
        ASSERT_EQ(pwrite(fd, last.data(), last.size(), size - 100), ssize_t(last.size()));
        close(fd);
    }
    DefinitionBuilder d;
    d.output("Errors", "big.out");
    d.lineVocabulary();
    PXNode* error = d.textNode("ERROR");
    PXNode* rest = d.refNode("Rest");
    d.link(error, rest);
    d.nodeAction(rest, "Append to", {"Errors"});
    d.nodeAction(rest, "Append to", {"Errors", "", "NL"});
    d.input("big.bin");
    const std::string def = d.save(ws.path("big.QXD"));
    const long before = peakKilobytes();
    const auto start = std::chrono::steady_clock::now();
    RunResult r = runDefinition(def);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long after = peakKilobytes();
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(ws.read("big.out"), " at the start\n at the end\n");
    // The window is 64 KiB; whatever else a run allocates is small and does not grow with
    // the input.
    EXPECT_LT(after - before, 16 * 1024) << "peak resident kB before and after: " << before << " " << after;
    std::printf("scanned %lld bytes in %.1f s; peak resident %ld kB -> %ld kB\n", (long long)size, seconds, before,
                after);
}

}  // namespace
