// iconv descriptors are opened once per thread and direction and reset before each use, so
// conversions on several threads never share conversion state.
#include "foundation/codepage.h"

#include <cerrno>
#include <cstdlib>
#include <iconv.h>

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole input; on an invalid or unconvertible unit calls `bad(out)` and skips
    // `unit` input bytes. Returns false only when the descriptor could not be opened.
    template <typename Out, typename Bad>
    bool run(const char* in, size_t inLeft, size_t unit, Out& out, Bad bad) {
        if (!ok()) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        char chunk[1024];
        while (inLeft > 0) {
            char* dst = chunk;
            size_t dstLeft = sizeof chunk;
            const size_t r = iconv(cd_, &src, &inLeft, &dst, &dstLeft);
            append(out, chunk, size_t(dst - chunk));
            if (r != size_t(-1)) continue;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL (a sequence cut off at the end): replace one unit and go on.
            bad(out);
            const size_t skip = inLeft < unit ? inLeft : unit;
            src += skip;
            inLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        char* dst = chunk;
        size_t dstLeft = sizeof chunk;
        iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
        append(out, chunk, size_t(dst - chunk));
        return true;
    }

private:
    static void append(std::string& out, const char* p, size_t n) { out.append(p, n); }
    static void append(std::u16string& out, const char* p, size_t n) {
        // iconv writes whole UTF-16 units only, so n is even.
        for (size_t i = 0; i + 1 < n; i += 2)
            out.push_back(XXWCHAR(uint8_t(p[i]) | (uint8_t(p[i + 1]) << 8)));
    }

    iconv_t cd_;
};

std::string readCodePage() {
    const char* env = std::getenv("QUILLON_CODEPAGE");
    if (env && *env) {
        iconv_t probe = iconv_open("UTF-16LE", env);
        if (probe != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(probe);
            return env;
        }
    }
    return "UTF-8";
}

}  // namespace

const std::string& codePageName() {
    static const std::string name = readCodePage();
    return name;
}

std::u16string narrowToWide(const char* text, size_t length) {
    thread_local Converter toWide("UTF-16LE", codePageName().c_str());
    std::u16string out;
    out.reserve(length);
    toWide.run(text, length, 1, out, [](std::u16string& o) { o.push_back(u'\uFFFD'); });
    return out;
}

std::string wideToNarrow(const XXWCHAR* text, size_t length) {
    thread_local Converter toNarrow(codePageName().c_str(), "UTF-16LE");
    thread_local const std::string replacement = [] {
        std::string r;
        const XXWCHAR fffd = u'\uFFFD';
        Converter probe(codePageName().c_str(), "UTF-16LE");
        char bytes[2] = {char(fffd & 0xFF), char(fffd >> 8)};
        bool failed = false;
        probe.run(bytes, 2, 2, r, [&](std::string&) { failed = true; });
        return failed || r.empty() ? std::string("?") : r;
    }();
    std::string in;
    in.reserve(length * 2);
    for (size_t i = 0; i < length; ++i) {
        in.push_back(char(text[i] & 0xFF));
        in.push_back(char(text[i] >> 8));
    }
    std::string out;
    out.reserve(length);
    toNarrow.run(in.data(), in.size(), 2, out, [&](std::string& o) { o += replacement; });
    return out;
}
