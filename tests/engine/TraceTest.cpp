// The HTML trace, written through the trace destination: head, stream heading, node
// blocks with the bytes and labels escaped as HTML text, tail; nothing with tracing off.
#include "tests/engine/EngineFixture.h"

namespace {

class TraceTest : public EngineTest {};

const char* kHead =
    "<html>\n<head>\n\t<title>Quillon Trace</title>\n\t<style type=\"text/css\">\n"
    "\t\t body { font-family: arial; font-size: 14px; color: #000000; background: #ffffff; }\n"
    "\t\t table.stream { font-size: 14px; color: #000000; background: #cccccc; }\n"
    "\t\t h1 { color: #000000; font-size: 22px; }\n"
    "\t\t h2 { color: #000000; font-size: 18px; }\n"
    "\t</style>\n</head>\n<body>\n<h1>Quillon Trace</h1>\n";

TEST_F(TraceTest, EveryMatchedNodeGetsABlock) {
    engine.setAppTag("Quillon");
    set8("B", {{'b', -1}});
    pattern("E", {{"B", 0, 1}});
    PXNode* lt = textNode(main(), "<", "T");
    link(lt, refNode(main(), "E"));
    run.trace = true;
    scan("x<b<");
    const std::string expected = std::string(kHead) + "\n<hr><h2>stream= &nbsp; </h2>\n" +
        "<table class=\"stream\" width=\"100%\"><tr><td>&nbsp;1: (Start)  T:  \"&lt;\"&nbsp;</td></tr></table>\n<pre>\n&lt;\n</pre>\n" +
        "<table class=\"stream\" width=\"100%\"><tr><td>&nbsp;2: E&nbsp;</td></tr></table>\n<pre>\nb\n</pre>\n" +
        "<table class=\"stream\" width=\"100%\"><tr><td>&nbsp;1: (Start)  T:  \"&lt;\"&nbsp;</td></tr></table>\n<pre>\n&lt;\n</pre>\n" +
        "<table class=\"stream\" width=\"100%\"><tr><td>&nbsp;2: E&nbsp;</td></tr></table>\n<pre>\n\n</pre>\n" +
        "<hr>\n</body>\n</html>";
    EXPECT_EQ(dests.out(0), expected);
}

TEST_F(TraceTest, TitleWithoutApplicationTagAndEmptyInput) {
    textNode(main(), "a");
    run.trace = true;
    scan("");
    const std::string text = dests.out(0);
    EXPECT_EQ(text.rfind("<html>\n<head>\n\t<title>Trace</title>\n", 0), 0u);
    EXPECT_NE(text.find("<h1>Trace</h1>\n\n<hr><h2>stream= &nbsp; </h2>\n<hr>\n</body>\n</html>"), std::string::npos);
}

TEST_F(TraceTest, NothingIsWrittenWithTracingOff) {
    textNode(main(), "a");
    scan("aaa");
    EXPECT_EQ(dests.dests.count(0), 0u);
}

}  // namespace
