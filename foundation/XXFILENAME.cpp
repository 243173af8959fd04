#include "foundation/XXFILENAME.h"

#include <cstring>
#include <string>

namespace {

std::string withSlashes(const char* text) {
    std::string s = text ? text : "";
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

}  // namespace

XXFILENAME& XXFILENAME::set(const char* path) {
    const std::string p = withSlashes(path);
    const size_t slash = p.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? p : p.substr(slash + 1);
    const size_t dot = file.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && dot > 0 && file != "..";
    drive = "";
    directory = dir.c_str();
    name = (hasExtension ? file.substr(0, dot) : file).c_str();
    extension = hasExtension ? file.substr(dot).c_str() : "";
    rebuild();
    return *this;
}

XXFILENAME& XXFILENAME::setDirectory(const char* text) {
    std::string dir = withSlashes(text);
    if (!dir.empty() && dir.back() != '/') dir += '/';
    drive = "";
    directory = dir.c_str();
    rebuild();
    return *this;
}

XXFILENAME& XXFILENAME::setName(const char* text) {
    name = text;
    rebuild();
    return *this;
}

XXFILENAME& XXFILENAME::setExtension(const char* text) {
    extension = "";
    if (!isBlank(text) && *text != '.') extension += ".";
    extension += text;
    rebuild();
    return *this;
}

void XXFILENAME::rebuild() {
    XXSTRING full;
    full << drive << directory << name << extension;
    XXSTRING::operator=(full.text());
}
