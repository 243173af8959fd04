#include "engine/PXTrace.h"

#include "engine/PXEngine.h"

void PXTrace::write(const char* text) {
    IDests* dests = engine_.dests();
    if (!dests || isBlank(text)) return;
    if (Destination* d = dests->get(kTraceDestination)) d->writeString(XXSTRING(text), true);
}

void PXTrace::head(const XXSTRING& title) {
    XXSTRING text("<html>\n<head>\n");
    write(text);
    text = "\t<title>";
    text << title << "</title>\n";
    write(text);
    write("\t<style type=\"text/css\">\n"
          "\t\t body { font-family: arial; font-size: 14px; color: #000000; background: #ffffff; }\n"
          "\t\t table.stream { font-size: 14px; color: #000000; background: #cccccc; }\n"
          "\t\t h1 { color: #000000; font-size: 22px; }\n"
          "\t\t h2 { color: #000000; font-size: 18px; }\n"
          "\t</style>\n</head>\n<body>\n");
    text = "<h1>";
    text << title << "</h1>\n";
    write(text);
}

void PXTrace::streamHeading(const char* streamName) {
    XXSTRING text("\n<hr><h2>stream= &nbsp; ");
    text << (streamName ? streamName : "") << "</h2>\n";
    write(text);
}

void PXTrace::nodeBlock(PXNode& node, IXXINBUF* buffer) {
    XXSTRING text("<table class=\"stream\" width=\"100%\"><tr><td>&nbsp;");
    text << (node.number + 1) << ": " << node.label() << "&nbsp;</td></tr></table>\n<pre>\n";
    write(text);
    IDests* dests = engine_.dests();
    if (Destination* d = dests ? dests->get(kTraceDestination) : nullptr; d && buffer && node.matchLength > 0) {
        copyMatchedBytes(*buffer, node.matchStart, node.matchLength, [d](unsigned char b) { d->putByte(b); });
        d->flushBytes(true);
    }
    write("\n</pre>\n");
}

void PXTrace::tail() { write("<hr>\n</body>\n</html>"); }
