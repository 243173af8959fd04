// HtmlText: the readable text of an HTML document, for messages that have no plain part.
//
// Tags and comments are removed, the content of script and style elements is dropped, and
// character references (&amp;, &#233;, &#x20AC;, the common named ones) become UTF-8. An
// unknown or unterminated reference is kept as written.
#pragma once

#include <string>

std::string htmlToText(const std::string& html);
