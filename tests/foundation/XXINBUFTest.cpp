// Tests of the input buffers: the file-backed window against the same bytes in memory
// (sizes around the 65536-byte window and the stage of four windows it is read through,
// and small windows that slide constantly), the shifting of registered positions by
// forward and backward slides, reading by stream offset and restoring, the index stack,
// XXMEMBUF and window bounds, offsets past 4 GiB.
#include "foundation/XXINBUF.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "foundation/XXINBUFWINDOW.h"
#include "foundation/XXMEMBUF.h"
#include "foundation/XXSTREAM.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/TempDir.h"

namespace {

std::string bytesOf(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(random() & 0xFF);
    return s;
}

// A file of known bytes, opened for raw reading, with a buffer over it.
struct FileInput {
    TempDir dir;
    std::string bytes;
    XXSTREAM stream;
    XXINBUF buffer;

    FileInput(std::string content, int32_t capacity = XXINBUF::defaultCapacity)
        : bytes(std::move(content)), buffer(capacity) {
        const std::string path = dir.write("input.bin", bytes);
        EXPECT_TRUE(stream.open(path.c_str(), XXSTREAM::readRaw));
        buffer.setStream(&stream);
        EXPECT_TRUE(buffer.open(20));
        buffer.load();
    }
};

// Reads a whole input the way the matcher walks it: a registered position advanced one
// byte at a time, each byte asked for with iChk. Also checks that the stream offset of
// every byte is right, counting from where the buffer was loaded.
std::string walk(IXXINBUF& buf) {
    std::string out;
    int32_t p = 0;
    const int64_t start = buf.getBaseOffset();
    buf.pushIdx(&p);
    while (buf.iChk(p, 1)) {
        EXPECT_EQ(buf.getBaseOffset() + p, start + int64_t(out.size()));
        out += char(buf.byteAt(p));
        ++p;
    }
    buf.popIdx(1);
    return out;
}

// The same in steps of `n` bytes through a private, unregistered position (the pointer
// form of iChk), the last partial step byte by byte.
std::string walkInSteps(IXXINBUF& buf, int32_t n) {
    std::string out;
    int32_t q = 0;
    while (buf.iChk(&q, n)) {
        out.append(reinterpret_cast<const char*>(buf.bytes()) + q, size_t(n));
        q += n;
    }
    while (buf.iChk(&q, 1)) out += char(buf.byteAt(q++));
    return out;
}

// --- file-backed against memory ----------------------------------------------------------

class XXINBUFBoundary : public testing::TestWithParam<size_t> {};

TEST_P(XXINBUFBoundary, FileGivesTheSameBytesAsMemory) {
    const std::string data = bytesOf(GetParam(), 7);
    XXMEMBUF memory;
    memory.setData(data.data(), int64_t(data.size()));
    ASSERT_TRUE(memory.open(20));
    memory.load();
    const std::string fromMemory = walk(memory);
    EXPECT_EQ(fromMemory, data);
    EXPECT_TRUE(memory.failed());

    FileInput file(data);
    EXPECT_EQ(walk(file.buffer), fromMemory);
    EXPECT_TRUE(file.buffer.failed());
    EXPECT_FALSE(file.buffer.iChk(0, int32_t(XXINBUF::defaultCapacity) + 1));

    for (int32_t step : {7, 4096, 65536}) {
        SCOPED_TRACE(step);
        FileInput again(data);
        EXPECT_EQ(walkInSteps(again.buffer, step), data);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, XXINBUFBoundary,
                         testing::Values(0, 1, 2047, 65535, 65536, 65537, 2 * 65536 - 1, 2 * 65536, 2 * 65536 + 1,
                                         63488 + 65536, 200003, 4 * 65536 - 1, 4 * 65536, 4 * 65536 + 1, 1000003));

// A small window slides on nearly every request; positions move forward and backward at
// random while a registered anchor must keep naming the same byte.
TEST(XXINBUF, RandomWalkInASmallWindowMatchesTheData) {
    struct Shape {
        int32_t capacity, keep;
    };
    const Shape shapes[] = {{16, 4}, {16, 0}, {64, 63}, {100, 2048}, {4096, 2048}};
    const std::string data = bytesOf(20000, 11);
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(testing::Message() << "capacity " << shape.capacity << " keep " << shape.keep);
        FileInput in(data, shape.capacity);
        in.buffer.setKeepSize(shape.keep);
        std::mt19937 random(3);
        int32_t p = 0;
        int32_t anchor = 0;
        int64_t at = 0;
        int64_t anchorAt = 0;
        in.buffer.pushIdx(&anchor);
        in.buffer.pushIdx(&p);
        for (int i = 0; i < 5000; ++i) {
            int32_t move = int32_t(random() % 200) - 90;
            const int32_t n = 1 + int32_t(random() % std::min(shape.capacity, 12));
            // Stay between the start and a little past the end.
            if (at + move < 0 || at + move > int64_t(data.size()) + 20) move = -move;
            if (at + move < 0) move = 0;
            p += move;
            at += move;
            if (random() % 50 == 0) {
                anchor = p;
                anchorAt = at;
            }
            const bool inside = at + n <= int64_t(data.size());
            ASSERT_EQ(in.buffer.iChk(p, n), inside) << "step " << i << " at " << at;
            ASSERT_EQ(in.buffer.getBaseOffset() + p, at) << "step " << i;
            ASSERT_EQ(in.buffer.getBaseOffset() + anchor, anchorAt) << "step " << i;
            if (inside) {
                ASSERT_EQ(std::string(reinterpret_cast<const char*>(in.buffer.bytes()) + p, size_t(n)),
                          data.substr(size_t(at), size_t(n)))
                    << "step " << i;
            }
        }
        in.buffer.popIdx(2);
    }
}

// --- slides and registered positions -----------------------------------------------------

TEST(XXINBUF, FullForwardSlideThenBackwardReload) {
    const std::string data = bytesOf(200000, 5);
    FileInput in(data);
    in.buffer.setKeepSize(0);
    int32_t p = 65536;          // just past the first window
    int32_t behind = p - 100;
    in.buffer.pushIdx(&behind);
    in.buffer.pushIdx(&p);
    ASSERT_TRUE(in.buffer.iChk(p, 1));
    EXPECT_EQ(p, 0);
    EXPECT_EQ(behind, -100);
    EXPECT_EQ(in.buffer.getBaseOffset(), 65536);
    EXPECT_EQ(in.buffer.byteAt(p), static_cast<unsigned char>(data[65536]));

    // Back to the earlier position: every registered position moves up again.
    ASSERT_TRUE(in.buffer.iChk(behind, 1));
    EXPECT_EQ(behind, 0);
    EXPECT_EQ(p, 100);
    EXPECT_EQ(in.buffer.getBaseOffset(), 65436);
    EXPECT_EQ(in.buffer.byteAt(behind), static_cast<unsigned char>(data[65436]));
    EXPECT_EQ(in.buffer.byteAt(p), static_cast<unsigned char>(data[65536]));
    EXPECT_FALSE(in.buffer.failed());
}

TEST(XXINBUF, ForwardSlideKeepsTheKeepSizeBehind) {
    const std::string data = bytesOf(200000, 6);
    FileInput in(data);
    int32_t p = 65530;
    int32_t q = 65000;      // unregistered, given to the pointer form
    in.buffer.pushIdx(&p);
    ASSERT_TRUE(in.buffer.iChk(&q, 1000));
    // The window restarts 2048 bytes before the old end: 65536 - 2048 = 63488.
    EXPECT_EQ(in.buffer.getBaseOffset(), 63488);
    EXPECT_EQ(p, 65530 - 63488);
    EXPECT_EQ(q, 65000 - 63488);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(in.buffer.bytes()) + q, 1000), data.substr(65000, 1000));
}

TEST(XXINBUF, AFirstWindowReadAheadBecomesTheWindowAndTheRestComesFromTheFile) {
    TempDir dir;
    const std::string data = bytesOf(300, 9);
    const std::string path = dir.write("ahead.bin", data);
    FileStatus status;
    const int fd = fileOpenRegular(path.c_str(), status);
    ASSERT_GE(fd, 0);
    auto ahead = std::make_unique<unsigned char[]>(64);
    bool partial = false;
    ASSERT_EQ(fileRead(fd, ahead.get(), 64, partial), 64);
    const unsigned char* const readAhead = ahead.get();
    XXSTREAM stream;
    stream.adopt(path.c_str(), fd, status, std::move(ahead), 64, 64);
    XXINBUF buffer(64);
    buffer.setStream(&stream);
    ASSERT_TRUE(buffer.open(20));
    ASSERT_EQ(buffer.load(), 64);
    EXPECT_EQ(buffer.bytes(), readAhead);   // taken as it is, not copied
    EXPECT_EQ(walk(buffer), data);
    // Back to the first bytes: read from the file again, not from storage given away.
    int32_t start = int32_t(-buffer.getBaseOffset());
    buffer.pushIdx(&start);
    ASSERT_TRUE(buffer.iChk(start, 64));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.bytes()) + start, 64), data.substr(0, 64));
}

TEST(XXINBUF, PastTheEndFailsAndDoesNotReadAgain) {
    FileInput in(bytesOf(70000, 2));
    int32_t p = 69999;   // the last byte, past the first window
    in.buffer.pushIdx(&p);
    ASSERT_TRUE(in.buffer.iChk(p, 1));
    EXPECT_EQ(in.buffer.getBaseOffset() + p, 69999);
    EXPECT_FALSE(in.buffer.iChk(p, 2));
    EXPECT_TRUE(in.buffer.failed());
    const int64_t position = in.stream.getPosition();
    const int64_t previous = in.stream.getPrevPosition();
    EXPECT_FALSE(in.buffer.iChk(p, 2));
    EXPECT_EQ(in.stream.getPosition(), position);
    EXPECT_EQ(in.stream.getPrevPosition(), previous);
    EXPECT_TRUE(in.buffer.iChk(p, 1));   // what is there stays readable

    // Nothing lies before the first byte of the stream.
    int32_t before = int32_t(-in.buffer.getBaseOffset()) - 1;
    in.buffer.pushIdx(&before);
    EXPECT_FALSE(in.buffer.iChk(before, 1));
    EXPECT_EQ(in.buffer.getBaseOffset() + p, 69999);
}

// --- index stack -------------------------------------------------------------------------

TEST(XXINBUF, IndexStack) {
    CaptureSink sink;
    XXINBUF buf(16);
    ASSERT_TRUE(buf.open(2));
    int32_t positions[25] = {};
    for (int32_t& p : positions) buf.pushIdx(&p);   // grows past its opening size
    EXPECT_EQ(buf.idxCount(), 25);
    buf.popIdx(5);
    EXPECT_EQ(buf.idxCount(), 20);
    EXPECT_TRUE(sink.errors.empty());

    buf.popIdx(-3);   // refused: it would bring back entries already popped
    EXPECT_EQ(buf.idxCount(), 20);
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_NE(sink.errors[0].find("XXINBUF::popIdx"), std::string::npos);
    sink.clear();

    buf.popIdx(21);
    EXPECT_EQ(buf.idxCount(), 0);
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_NE(sink.errors[0].find("XXINBUF::popIdx"), std::string::npos);
    EXPECT_NE(sink.errors[0].find("idxs.n = -1"), std::string::npos);
    sink.clear();

    buf.pushIdx(nullptr);
    EXPECT_EQ(buf.idxCount(), 0);
    EXPECT_TRUE(sink.sawError("XXINBUF::pushIdx"));
}

// --- reading by stream offset ------------------------------------------------------------

TEST(XXINBUF, GetByteReplacesTheWindowAndRestoreBringsItBack) {
    CaptureSink sink;
    const std::string data = bytesOf(300000, 9);
    FileInput in(data);
    int32_t p = 70000;
    in.buffer.pushIdx(&p);
    ASSERT_TRUE(in.buffer.iChk(p, 1));
    const int64_t saved = in.buffer.getBaseOffset();
    const int32_t savedP = p;

    unsigned char b = 0;
    for (int64_t offset : {int64_t(0), saved + p, int64_t(250000), int64_t(299999), int64_t(10)}) {
        SCOPED_TRACE(offset);
        ASSERT_TRUE(in.buffer.getByte(offset, b));
        EXPECT_EQ(b, static_cast<unsigned char>(data[size_t(offset)]));
    }
    EXPECT_EQ(p, savedP);   // a window replaced by getByte shifts nothing
    EXPECT_TRUE(sink.errors.empty());

    EXPECT_FALSE(in.buffer.getByte(300000, b));
    EXPECT_TRUE(sink.sawError("invalid index: 300000"));
    EXPECT_FALSE(in.buffer.getByte(-1, b));

    EXPECT_NE(in.buffer.restore(saved), saved);
    EXPECT_EQ(in.buffer.getBaseOffset(), saved);
    EXPECT_EQ(p, savedP);
    ASSERT_TRUE(in.buffer.iChk(p, 1));
    EXPECT_EQ(in.buffer.byteAt(p), static_cast<unsigned char>(data[70000]));
    EXPECT_EQ(in.buffer.restore(saved), saved);   // already there: nothing read
}

// A view scanned through the buffer may slide it; restoring the saved base offset puts
// every registered position of the outer scan back on its own byte.
TEST(XXINBUF, RestoreUndoesSlidesMadeWhileAWindowWasScanned) {
    const std::string data = bytesOf(300000, 10);
    for (const int64_t viewStart : {int64_t(60000), int64_t(200000)}) {   // inside, then outside the window
        SCOPED_TRACE(viewStart);
        FileInput in(data);
        int32_t outer = 1000;
        in.buffer.pushIdx(&outer);
        ASSERT_TRUE(in.buffer.iChk(outer, 1));
        const int64_t saved = in.buffer.getBaseOffset();

        XXINBUFWINDOW view(viewStart, 20000);
        int32_t q = 0;
        ASSERT_TRUE(in.buffer.positionAt(view, q));
        EXPECT_EQ(view.getInner(), &in.buffer);
        view.pushIdx(&q);
        std::string seen;
        while (view.iChk(q, 1)) seen += char(view.byteAt(q++));
        view.popIdx(1);
        EXPECT_EQ(seen, data.substr(size_t(viewStart), 20000));
        EXPECT_TRUE(view.failed());
        EXPECT_FALSE(in.buffer.failed());

        in.buffer.restore(saved);
        EXPECT_EQ(in.buffer.getBaseOffset() + outer, 1000);
        ASSERT_TRUE(in.buffer.iChk(outer, 1));
        EXPECT_EQ(in.buffer.byteAt(outer), static_cast<unsigned char>(data[1000]));
    }
}

// --- XXMEMBUF ----------------------------------------------------------------------------

TEST(XXMEMBUF, BoundsOfABlock) {
    const char block[5] = {'a', 'b', 'c', 'd', 'e'};
    XXMEMBUF m;
    EXPECT_TRUE(m.ownsData());
    m.setData(block, 5);
    EXPECT_FALSE(m.ownsData());
    EXPECT_EQ(m.data(), reinterpret_cast<const unsigned char*>(block));   // not copied
    EXPECT_TRUE(m.isLoaded());
    EXPECT_EQ(m.getCount(), 5);
    EXPECT_EQ(m.getBaseOffset(), 0);

    struct Row {
        int32_t p, n;
        bool ok;
    };
    const Row rows[] = {{3, 2, true}, {3, 3, false}, {0, 5, true}, {0, 6, false}, {-1, 1, false}, {5, 0, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.p << "+" << row.n);
        ASSERT_TRUE(m.open(20));
        EXPECT_EQ(m.iChk(row.p, row.n), row.ok);
        int32_t q = row.p;
        EXPECT_EQ(m.iChk(&q, row.n), row.ok);
        EXPECT_EQ(q, row.p);
        EXPECT_EQ(m.failed(), !row.ok);
    }
    EXPECT_EQ(m.getCount(), 5);   // open keeps the data
    EXPECT_EQ(m.load(), 5);

    CaptureSink sink;
    unsigned char b = 0;
    ASSERT_TRUE(m.getByte(4, b));
    EXPECT_EQ(b, 'e');
    EXPECT_FALSE(m.getByte(5, b));
    EXPECT_TRUE(sink.sawError("XXMEMBUF::getByte"));
    EXPECT_TRUE(sink.sawError("Invalid index: 5"));
    EXPECT_EQ(m.restore(100), 0);
    m.close();
    EXPECT_FALSE(m.getByte(0, b));   // closed: the caller stops its copy
}

// --- XXINBUFWINDOW -----------------------------------------------------------------------

TEST(XXINBUFWINDOW, TheRangeEndsTheInput) {
    const std::string data = bytesOf(100, 4);
    FileInput in(data);
    XXINBUFWINDOW view(10, 10);   // bytes 10 to 19
    int32_t p = 0;
    ASSERT_TRUE(in.buffer.positionAt(view, p));
    EXPECT_EQ(p, 10);
    EXPECT_EQ(view.getCount(), 10);
    EXPECT_TRUE(view.isLoaded());
    EXPECT_EQ(view.getBaseOffset(), 0);
    EXPECT_STREQ(view.streamName(), in.stream.getPath());

    struct Row {
        int32_t p, n;
        bool ok;
    };
    const Row rows[] = {{10, 10, true}, {19, 1, true}, {19, 2, false}, {9, 1, false}, {20, 0, true}, {15, 5, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.p << "+" << row.n);
        EXPECT_EQ(view.iChk(row.p, row.n), row.ok);
        if (row.ok && row.n > 0) {
            EXPECT_EQ(view.byteAt(row.p), static_cast<unsigned char>(data[size_t(row.p)]));
        }
    }
    EXPECT_TRUE(view.failed());
    EXPECT_FALSE(in.buffer.failed());   // the stream itself goes on

    XXINBUFWINDOW detached(0, 10);
    EXPECT_FALSE(detached.isLoaded());
    EXPECT_FALSE(detached.iChk(0, 1));
    EXPECT_EQ(detached.getBaseOffset(), -1);
}

TEST(XXINBUFWINDOW, ReadFailureInsideTheRangeIsLogged) {
    CaptureSink sink;
    FileInput in(bytesOf(100, 4));
    XXINBUFWINDOW view(50, 1000);   // claims more than the file holds
    int32_t p = 0;
    ASSERT_TRUE(in.buffer.positionAt(view, p));
    p = 100;
    EXPECT_FALSE(view.iChk(p, 1));
    EXPECT_TRUE(view.failed());
    ASSERT_EQ(sink.logLines.size(), 1u);
    EXPECT_EQ(sink.logLines[0], "reload failure\n");
    EXPECT_FALSE(view.iChk(&p, 1));
    EXPECT_EQ(sink.logLines.size(), 2u);
}

// --- offsets beyond 32 bits --------------------------------------------------------------

TEST(XXINBUF, OffsetsPastFourGigabytes) {
    TempDir dir;
    const std::string path = dir.file("sparse.bin");
    const int64_t far = int64_t(5) << 30;   // 5 GiB, mostly a hole
    const std::string tail = bytesOf(100000, 12);
    {
        XXSTREAM out;
        ASSERT_TRUE(out.open(path.c_str(), XXSTREAM::writeBinary));
        out.close();
        std::filesystem::resize_file(path, uintmax_t(far));
        XXSTREAM append;
        ASSERT_TRUE(append.open(path.c_str(), XXSTREAM::appendBinary));
        ASSERT_TRUE(append.write(tail.data(), int64_t(tail.size())));
        ASSERT_TRUE(append.close());
    }
    XXSTREAM s;
    ASSERT_TRUE(s.open(path.c_str(), XXSTREAM::readRaw));
    EXPECT_EQ(s.fileSize(), far + int64_t(tail.size()));
    ASSERT_EQ(s.seekTo(far - 10), far - 10);
    XXINBUF buf;
    buf.setStream(&s);
    buf.open(20);
    buf.load();
    EXPECT_EQ(buf.getBaseOffset(), far - 10);
    std::string seen = walk(buf);
    EXPECT_EQ(seen.size(), tail.size() + 10);
    EXPECT_EQ(seen.substr(10), tail);

    unsigned char b = 1;
    ASSERT_TRUE(buf.getByte(int64_t(3) << 30, b));
    EXPECT_EQ(b, 0);
    ASSERT_TRUE(buf.getByte(far + 99999, b));
    EXPECT_EQ(b, static_cast<unsigned char>(tail[99999]));
}

}  // namespace
