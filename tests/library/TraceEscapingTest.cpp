// The trace is HTML made from the input: markup in a scanned line or in a file name reaches
// it as text that a browser shows, never as markup that hides the rest or runs a script.
#include <gtest/gtest.h>

#include <string>

#include "tests/library/Process.h"
#include "tests/support/TempDir.h"

namespace {

// The text a browser shows for HTML text with the three entities of the trace.
std::string shown(std::string html) {
    for (const auto& [entity, c] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}})
        for (size_t at = html.find(entity); at != std::string::npos; at = html.find(entity, at + 1))
            html.replace(at, std::string(entity).size(), c);
    return html;
}

TEST(TraceEscaping, MarkupFromTheInputAndTheDefinitionIsShownAsText) {
    TempDir dir;
    // A line node: every printable byte up to the line end; its tag holds markup too.
    dir.write("Lines.QXD",
              "Quillon Version 2.82\r\n"
              "!\"Set\" \"Printable\"\r\n32 126\r\n"
              "!\"Pattern\" \"Line\"\r\n\"Printable\" 1 10000\r\n"
              "Node 0 1 1 0 0\r\nNodeAttribute 0 Start\r\nNodePattern 0 \"Line\"\r\nNodeTag 0 \"a<b>\"\r\n");
    const std::string line = "<!-- &amp; <script>alert(1)</script> \"q\"";
    dir.write("in<i>&.txt", line + "\n");
    ProcessOptions options;
    options.dir = dir.path().string();
    const ProcessResult r = runProcess(binary("quilrun"), {"-q", "--trace", "Lines", "in<i>&.txt"}, options);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string trace = TempDir::read(dir.file("QNTrace.htm"));

    const std::string block = "<pre>\n";
    const size_t start = trace.find(block);
    ASSERT_NE(start, std::string::npos) << trace;
    const size_t end = trace.find("\n</pre>", start);
    ASSERT_NE(end, std::string::npos) << trace;
    const std::string matched = trace.substr(start + block.size(), end - start - block.size());
    EXPECT_EQ(matched.find_first_of("<>"), std::string::npos) << matched;
    EXPECT_EQ(shown(matched), line);
    EXPECT_NE(trace.find("in&lt;i&gt;&amp;.txt</h2>"), std::string::npos) << trace;
    EXPECT_NE(trace.find("&nbsp;1: (Start)  a&lt;b&gt;:  Line&nbsp;"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("<script>"), std::string::npos);
    EXPECT_EQ(trace.find("<!--"), std::string::npos);
}

}  // namespace
