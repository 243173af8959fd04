// XXFILENAME: a path kept together with its parts.
//
// The string itself is the full path; `drive`, `directory`, `name` and `extension` are its
// parts, and every setter rebuilds the path from them. The directory keeps its trailing
// "/", the extension its leading "." (a "." is supplied when one is set without it). A "\"
// is taken as a separator and becomes "/", so paths written on Windows still find their
// files. The drive is always empty here. A name that starts with "." (".profile") and the
// names "." and ".." have no extension.
#pragma once

#include "foundation/XXSTRING.h"

class XXFILENAME : public XXSTRING {
public:
    XXSTRING drive;
    XXSTRING directory;
    XXSTRING name;
    XXSTRING extension;

    XXFILENAME() = default;
    explicit XXFILENAME(const char* path) { set(path); }

    // Splits `path` into its parts and rebuilds the full path from them.
    XXFILENAME& set(const char* path);
    // Drive and directory from `text` ("/" appended when missing; empty stays empty).
    XXFILENAME& setDirectory(const char* text);
    XXFILENAME& setName(const char* text);
    XXFILENAME& setExtension(const char* text);

private:
    void rebuild();
};
