#include "foundation/XXTEXT.h"

#include <cstdlib>
#include <strings.h>

bool isInteger(const char* text) {
    if (!text || !*text) return false;
    for (const char* p = text; *p; ++p)
        if (!((*p >= '0' && *p <= '9') || *p == '-')) return false;
    return true;
}

bool toLong(const char* text, long& out) {
    if (!text || !*text) {
        out = 0;
        return true;
    }
    if (!isInteger(text)) return false;
    out = std::atol(text);
    return true;
}

bool toBool(const char* text) {
    if (!text || !*text) return false;
    if (strcasecmp(text, "false") == 0) return false;
    if ((text[0] == 'f' || text[0] == 'F') && text[1] == 0) return false;
    if (isInteger(text)) return std::atol(text) != 0;
    return true;
}

bool hasWildcard(const char* text) {
    if (!text) return false;
    for (const char* p = text; *p; ++p)
        if (*p == '?' || *p == '*') return true;
    return false;
}
