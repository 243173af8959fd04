// bench_corpus: writes the engine benchmarks' corpora (fixed seed, nothing is committed).
//
//   bench_corpus text PATH MiB      English-like text: pseudo-words, capitalised sentence
//                                   starts, punctuation, line ends, numbers, a date
//                                   (dddd-dd-dd) every ~2 KiB and an e-mail-like token
//                                   (word@word.word) every ~1 KiB. Never an all-capital word.
//   bench_corpus literal PATH MiB   the same text with one "ERROR" in every MiB.
//   bench_corpus wide PATH MiB      the literal corpus as UTF-16LE (MiB of output).
//   bench_corpus words PATH         100 of the vocabulary's words, one a line, none the
//                                   prefix of another.
//   bench_corpus files DIR N KiB    N files of KiB each (DIR/f00000.txt ...) that together
//                                   hold the text corpus, cut at file boundaries.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Rng {
    uint64_t s = 0x9E3779B97F4A7C15ull;
    uint32_t next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return uint32_t(s >> 11);
    }
    uint32_t below(uint32_t n) { return next() % n; }
};

std::vector<std::string> vocabulary() {
    static const char* syllables[] = {"ka", "lo", "mi", "ter", "an", "sul", "ve", "ro", "ni", "pe", "du", "str",
                                      "ing", "ed", "or", "ba", "qui", "fa", "ho", "wen", "ly", "gra", "ce", "tu"};
    Rng rng;
    rng.s = 42;
    std::vector<std::string> words;
    for (int i = 0; i < 3000; ++i) {
        std::string w;
        const int n = 1 + int(rng.below(4));
        for (int k = 0; k < n; ++k) w += syllables[rng.below(24)];
        words.push_back(w);
    }
    return words;
}

class Text {
public:
    explicit Text(bool errors) : errors_(errors), words_(vocabulary()) {}

    // Appends about `n` bytes of text to `out`.
    void fill(std::string& out, size_t n) {
        const size_t end = out.size() + n;
        while (out.size() < end) {
            const uint32_t r = rng_.below(1000);
            if (r < 8) {
                out += word();
                out += '@';
                out += word();
                out += '.';
                out.append(word(), 0, 3);
            } else if (r < 12) {
                char d[16];
                std::snprintf(d, sizeof d, "%04u-%02u-%02u", 1900 + rng_.below(200), 1 + rng_.below(12),
                              1 + rng_.below(28));
                out += d;
            } else if (r < 40) {
                out += std::to_string(rng_.below(100000));
            } else {
                std::string w = word();
                if (sentenceStart_ && !w.empty()) w[0] = char(w[0] - 'a' + 'A');
                out += w;
            }
            sentenceStart_ = false;
            const uint32_t p = rng_.below(100);
            if (p < 6) {
                out += ". ";
                sentenceStart_ = true;
            } else if (p < 10) {
                out += ", ";
            } else if (p < 18) {
                out += "\n";
            } else {
                out += " ";
            }
        }
    }

private:
    const std::string& word() { return words_[rng_.below(uint32_t(words_.size()))]; }

    bool errors_;
    std::vector<std::string> words_;
    Rng rng_;
    bool sentenceStart_ = true;
};

bool writeText(const char* path, size_t mib, bool errors, bool wide) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    Text text(errors);
    const size_t mb = size_t(1) << 20;
    const size_t chunk = wide ? mb / 2 : mb;   // text bytes per MiB of output
    std::string block;
    for (size_t i = 0; i < mib; ++i) {
        block.clear();
        text.fill(block, chunk);
        block.resize(chunk);
        if (errors) block.replace(chunk / 2 + (i * 7919) % (chunk / 4), 5, "ERROR");
        if (wide) {
            std::string w(chunk * 2, '\0');
            for (size_t k = 0; k < chunk; ++k) w[2 * k] = block[k];
            std::fwrite(w.data(), 1, w.size(), f);
        } else {
            std::fwrite(block.data(), 1, block.size(), f);
        }
    }
    return std::fclose(f) == 0;
}

bool writeWords(const char* path) {
    const std::vector<std::string> all = vocabulary();
    std::vector<std::string> chosen;
    for (const std::string& w : all) {
        if (w.size() < 5) continue;
        bool clash = false;
        for (const std::string& c : chosen)
            if (c.compare(0, w.size(), w) == 0 || w.compare(0, c.size(), c) == 0) clash = true;
        if (!clash) chosen.push_back(w);
        if (chosen.size() == 100) break;
    }
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    for (const std::string& w : chosen) std::fprintf(f, "%s\n", w.c_str());
    return std::fclose(f) == 0;
}

bool writeFiles(const char* dir, size_t count, size_t kib) {
    Text text(false);
    std::string block;
    for (size_t i = 0; i < count; ++i) {
        block.clear();
        text.fill(block, kib * 1024);
        block.resize(kib * 1024);
        char name[32];
        std::snprintf(name, sizeof name, "/f%05zu.txt", i);
        const std::string path = std::string(dir) + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return false;
        std::fwrite(block.data(), 1, block.size(), f);
        if (std::fclose(f) != 0) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_corpus text|literal|wide|words PATH [MiB]\n"
                             "       bench_corpus files DIR COUNT KiB\n");
        return 2;
    }
    const std::string kind = argv[1];
    const size_t mib = argc > 3 ? size_t(std::atol(argv[3])) : 64;
    bool ok = false;
    if (kind == "text") ok = writeText(argv[2], mib, false, false);
    if (kind == "literal") ok = writeText(argv[2], mib, true, false);
    if (kind == "wide") ok = writeText(argv[2], mib, true, true);
    if (kind == "words") ok = writeWords(argv[2]);
    if (kind == "files") ok = argc > 4 && writeFiles(argv[2], size_t(std::atol(argv[3])), size_t(std::atol(argv[4])));
    if (!ok) std::fprintf(stderr, "bench_corpus: cannot write %s\n", argv[2]);
    return ok ? 0 : 1;
}
