// XXLIB: a holder that loads one shared library by file name, at most once.
//
// Loading does nothing when the library is already loaded, when an earlier attempt of this
// holder failed, or when the name is empty. A failure is reported once, "Unable to load "
// followed by the file name, and the holder does not try again until it is given a new
// name. A holder may also have a fallback path, tried when the platform's library search
// does not find the name (a library looked for on the search path, then beside the
// program). Symbols are looked up by their C name. Unloading closes the library and forgets
// the handle (the failed mark stays).
//
// The extension library, the database library, the HTTP library and the messaging layer
// are all bound through this holder.
#pragma once

#include <string>

#include "foundation/XXSTRING.h"

class XXLIB {
public:
    XXLIB() = default;
    explicit XXLIB(const char* fileName) : fileName_(fileName) {}
    ~XXLIB() { unload(); }
    // Not copyable: two holders of one handle would close it twice.
    XXLIB(const XXLIB&) = delete;
    XXLIB& operator=(const XXLIB&) = delete;

    // A new name (unloads the old library and clears the failed mark).
    void setFileName(const char* fileName);
    // The path tried when the name itself does not load ("" none).
    void setFallback(const std::string& path) { fallback_ = path; }
    const char* fileName() const { return fileName_.text(); }

    // True when the library is loaded after the call.
    bool load();
    void unload();
    bool isLoaded() const { return handle_ != nullptr; }
    bool loadFailed() const { return failed_; }

    // The address of the exported symbol, or null (also when the library is not loaded).
    void* symbol(const char* name) const;

private:
    XXSTRING fileName_;
    std::string fallback_;
    void* handle_ = nullptr;
    bool failed_ = false;
};
