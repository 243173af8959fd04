// Scans of one definition with the fast search and matchers and with the plain byte-by-byte
// path, in memory or through a small file window that slides in the middle of matches, so
// that tests can compare what each way wrote and where each observed node matched.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/engine/EngineFixture.h"
#include "tests/support/TempDir.h"

class DifferentialTest : public EngineTest {
protected:
    std::vector<int64_t> starts;

    static void record(int32_t, const char*, const char*, int32_t, const char*, int64_t start, int32_t, IXXINBUF*,
                       void* user) {
        static_cast<DifferentialTest*>(user)->starts.push_back(start);
    }

    // Every node gets the node's text out and its start recorded.
    void observe(PXNode* n) {
        emit(n);
        act(n, "Append to", {"", "|", ""});
        act(n, "ExeUDF", {"1"});
    }

    // The matches of one scan: texts and starts (window 0: in memory).
    std::string scanWith(const std::string& input, bool fast, int32_t window, const TempDir& dir) {
        engine.setFastSearch(fast);
        engine.setUp(this, &sources, &dests);
        engine.setCallback(record);
        dests.dests.clear();
        starts.clear();
        std::unique_ptr<XXINBUF> buffer;
        XXSTREAM stream;
        if (window == 0) {
            auto memory = std::make_unique<XXMEMBUF>();
            memory->setData(input.data(), int64_t(input.size()));
            buffer = std::move(memory);
        } else {
            const std::string path = dir.write("in.bin", input);
            EXPECT_TRUE(stream.open(path.c_str(), XXSTREAM::readRaw));
            buffer = std::make_unique<XXINBUF>(window);
            buffer->setKeepSize(window / 4);
            buffer->setStream(&stream);
        }
        run.buffer = buffer.get();
        engine.phase(1, run);
        engine.scanStream(run);
        engine.phase(6, run);
        run.buffer = nullptr;
        std::string seen = dests.out() + "@";
        for (int64_t s : starts) seen += std::to_string(s) + ",";
        return seen;
    }
};
