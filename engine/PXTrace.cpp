#include "engine/PXTrace.h"

#include <string_view>

#include "engine/PXEngine.h"

namespace {

// The entity that stands for a byte with a meaning in HTML text, or null for any other byte.
// (No attribute of the trace carries text from the definition or the input.)
const char* entityOf(unsigned char b) {
    switch (b) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    default: return nullptr;
    }
}

// Text from the definition or the input, as HTML that shows the same characters.
XXSTRING escaped(std::string_view text) {
    XXSTRING out;
    for (const char c : text) {
        if (const char* entity = entityOf(static_cast<unsigned char>(c)))
            out << entity;
        else
            out << c;
    }
    return out;
}

}  // namespace

void PXTrace::write(const char* text) {
    IDests* dests = engine_.dests();
    if (!dests || isBlank(text)) return;
    if (Destination* d = dests->get(kTraceDestination)) d->writeString(XXSTRING(text), true);
}

void PXTrace::head(const XXSTRING& title) {
    XXSTRING text("<html>\n<head>\n");
    write(text);
    text = "\t<title>";
    text << escaped(title.view()) << "</title>\n";
    write(text);
    write("\t<style type=\"text/css\">\n"
          "\t\t body { font-family: arial; font-size: 14px; color: #000000; background: #ffffff; }\n"
          "\t\t table.stream { font-size: 14px; color: #000000; background: #cccccc; }\n"
          "\t\t h1 { color: #000000; font-size: 22px; }\n"
          "\t\t h2 { color: #000000; font-size: 18px; }\n"
          "\t</style>\n</head>\n<body>\n");
    text = "<h1>";
    text << escaped(title.view()) << "</h1>\n";
    write(text);
}

void PXTrace::streamHeading(const char* streamName) {
    XXSTRING text("\n<hr><h2>stream= &nbsp; ");
    text << escaped(streamName ? streamName : "") << "</h2>\n";
    write(text);
}

void PXTrace::nodeBlock(PXNode& node, IXXINBUF* buffer) {
    XXSTRING text("<table class=\"stream\" width=\"100%\"><tr><td>&nbsp;");
    text << (node.number + 1) << ": " << escaped(node.label().view()) << "&nbsp;</td></tr></table>\n<pre>\n";
    write(text);
    IDests* dests = engine_.dests();
    if (Destination* d = dests ? dests->get(kTraceDestination) : nullptr; d && buffer && node.matchLength > 0) {
        copyMatchedBytes(*buffer, node.matchStart, node.matchLength, [d](unsigned char b) {
            if (const char* entity = entityOf(b))
                for (const char* c = entity; *c; ++c) d->putByte(static_cast<unsigned char>(*c));
            else
                d->putByte(b);
        });
        d->flushBytes(true);
    }
    write("\n</pre>\n");
}

void PXTrace::tail() { write("<hr>\n</body>\n</html>"); }
