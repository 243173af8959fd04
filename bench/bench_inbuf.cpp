// bench_inbuf: how fast the matcher's input path is.
//
// Writes a file of pseudo-random bytes (fixed seed; 1024 MiB unless a size in MiB is given)
// into a fresh temporary folder, then reads it
//   - with a plain read() loop of 64 KiB blocks, testing every byte against a 256-bit set
//     as a matcher's set checker does (the floor);
//   - through XXINBUF as the matcher does: a registered position, iChk(p, 1) and byteAt(p)
//     and the same set test per byte, through the IXXINBUF interface;
//   - the same with the pointer form iChk(&q, 1) of a private position;
// and times string building: XXSTRING += char per character, XXSTRING::append of runs, and
// std::string push_back for comparison. Every pass is run three times and the best time is
// shown; checksums must agree. The file is read from the page cache after it is written,
// so the figures compare the code paths, not the disk. The folder is removed at the end.
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "foundation/XXINBUF.h"
#include "foundation/XXSTREAM.h"
#include "foundation/XXSTRING.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Result {
    double seconds;
    uint64_t checksum;
};

// Best of three runs.
Result best(const std::function<uint64_t()>& pass) {
    Result r{1e300, 0};
    for (int i = 0; i < 3; ++i) {
        const auto start = Clock::now();
        r.checksum = pass();
        r.seconds = std::min(r.seconds, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return r;
}

void show(const char* what, const Result& r, double units, const char* unit) {
    std::printf("%-44s %8.3f s  %9.1f M%s/s  checksum %016" PRIx64 "\n", what, r.seconds, units / r.seconds / 1e6,
                unit, r.checksum);
}

// Per-byte work like a matcher's set test: is the byte in a 256-bit set (the letters)?
struct ByteSet {
    uint8_t bits[32] = {};
    ByteSet() {
        for (int c = 'A'; c <= 'Z'; ++c) bits[c >> 3] |= uint8_t(1 << (c & 7));
        for (int c = 'a'; c <= 'z'; ++c) bits[c >> 3] |= uint8_t(1 << (c & 7));
    }
    uint64_t has(unsigned char b) const { return (bits[b >> 3] >> (b & 7)) & 1; }
};
const ByteSet kLetters;

bool writeFile(const std::string& path, int64_t size) {
    XXSTREAM out;
    if (!out.open(path.c_str(), XXSTREAM::writeBinary)) return false;
    std::vector<unsigned char> block(1 << 20);
    uint64_t x = 0x9E3779B97F4A7C15ull;
    for (int64_t done = 0; done < size; done += int64_t(block.size())) {
        for (unsigned char& b : block) {
            x = x * 6364136223846793005ull + 1442695040888963407ull;
            b = static_cast<unsigned char>(x >> 56);
        }
        const int64_t n = std::min<int64_t>(int64_t(block.size()), size - done);
        if (!out.write(block.data(), n)) return false;
    }
    return out.close();
}

uint64_t plainRead(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return 0;
    std::vector<unsigned char> block(65536);
    uint64_t sum = 0;
    for (;;) {
        const ssize_t n = ::read(fd, block.data(), block.size());
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i) sum += kLetters.has(block[size_t(i)]);
    }
    ::close(fd);
    return sum;
}

uint64_t throughBuffer(const std::string& path, bool pointerForm) {
    XXSTREAM stream;
    if (!stream.open(path.c_str(), XXSTREAM::readRaw)) return 0;
    XXINBUF buffer;
    buffer.setStream(&stream);
    IXXINBUF& in = buffer;
    in.open(20);
    in.load();
    uint64_t sum = 0;
    if (pointerForm) {
        int32_t q = 0;
        while (in.iChk(&q, 1)) sum += kLetters.has(in.byteAt(q++));
    } else {
        int32_t p = 0;
        in.pushIdx(&p);
        while (in.iChk(p, 1)) sum += kLetters.has(in.byteAt(p++));
        in.popIdx(1);
    }
    in.close();
    return sum;
}

constexpr int32_t kText = 64 << 20;   // characters per string pass
constexpr int32_t kShort = 4096;      // length of each string in the short-string passes

// 64 Mi characters appended one at a time, into strings of 4096 characters.
uint64_t appendChars() {
    uint64_t sum = 0;
    for (int32_t k = 0; k < kText / kShort; ++k) {
        XXSTRING s;
        for (int32_t i = 0; i < kShort; ++i) s += char('a' + i % 26);
        sum += uint64_t(s.length()) + uint64_t(static_cast<unsigned char>(s.text()[k % kShort]));
    }
    return sum;
}

// The same characters appended in runs of 64.
uint64_t appendRuns() {
    static const char run[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!?";
    uint64_t sum = 0;
    for (int32_t k = 0; k < kText / kShort; ++k) {
        XXSTRING s;
        for (int32_t i = 0; i < kShort; i += 64) s.append(run, 64);
        sum += uint64_t(s.length()) + uint64_t(static_cast<unsigned char>(s.text()[k % kShort]));
    }
    return sum;
}

uint64_t pushBack() {
    uint64_t sum = 0;
    for (int32_t k = 0; k < kText / kShort; ++k) {
        std::string s;
        for (int32_t i = 0; i < kShort; ++i) s.push_back(char('a' + i % 26));
        sum += uint64_t(s.size()) + uint64_t(static_cast<unsigned char>(s[size_t(k % kShort)]));
    }
    return sum;
}

// One string grown to `n` characters one at a time: the string grows by a fixed step, so
// the cost per character rises with the length.
uint64_t growOne(int32_t n) {
    XXSTRING s;
    for (int32_t i = 0; i < n; ++i) s += char('a' + i % 26);
    return uint64_t(s.length());
}

}  // namespace

int main(int argc, char** argv) {
    const int64_t mib = argc > 1 ? std::max<int64_t>(1, std::atoll(argv[1])) : 1024;
    const int64_t size = mib << 20;
    const auto dir = std::filesystem::temp_directory_path() / ("quillon-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "input.bin").string();

    std::printf("bench_inbuf: %" PRId64 " MiB file in %s\n", mib, dir.c_str());
    int status = 0;
    if (!writeFile(path, size)) {
        std::fprintf(stderr, "bench_inbuf: unable to write %s\n", path.c_str());
        status = 1;
    } else {
        const auto bytes = double(size);
        const Result plain = best([&] { return plainRead(path); });
        const Result registered = best([&] { return throughBuffer(path, false); });
        const Result pointer = best([&] { return throughBuffer(path, true); });
        show("read() loop, 64 KiB blocks", plain, bytes, "B");
        show("XXINBUF iChk(p, 1) + byteAt, registered p", registered, bytes, "B");
        show("XXINBUF iChk(&q, 1) + byteAt, private q", pointer, bytes, "B");
        std::printf("XXINBUF / read(): %.2f (registered), %.2f (pointer)\n", plain.seconds / registered.seconds,
                    plain.seconds / pointer.seconds);
        if (registered.checksum != plain.checksum || pointer.checksum != plain.checksum) {
            std::fprintf(stderr, "bench_inbuf: checksums differ\n");
            status = 1;
        }

        const Result chars = best(appendChars);
        const Result runs = best(appendRuns);
        const Result std = best(pushBack);
        show("XXSTRING += char (4096-char strings)", chars, kText, "char");
        show("XXSTRING::append, 64-char runs (4096)", runs, kText, "char");
        show("std::string push_back (4096-char strings)", std, kText, "char");
        for (const int32_t n : {64 << 10, 256 << 10, 1 << 20}) {
            const Result one = best([n] { return growOne(n); });
            const std::string what = "XXSTRING += char, one string of " + std::to_string(n >> 10) + " Ki";
            show(what.c_str(), one, n, "char");
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return status;
}
