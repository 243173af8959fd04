#include "run/StreamDest.h"

#include <cstring>

#include "foundation/XXSTRTABLE.h"
#include "foundation/XXTEXT.h"
#include "foundation/platformfile.h"
#include "run/DirSearch.h"
#include "run/TitledError.h"

namespace {

constexpr int32_t kTailSize = 259;

// An extension without its leading ".".
const char* bareExtension(const XXSTRING& ext) { return ext.text()[0] == '.' ? ext.text() + 1 : ext.text(); }

}  // namespace

// A "\" in the spec (a definition made on Windows) separates folders, as "/" does.
StreamDest::StreamDest(const char* spec, int32_t mode) : spec_(XXFILENAME(spec)), mode_(mode) {
    wildcard_ = hasWildcard(spec_);
    if (wildcard_)
        specParts_.set(spec_);
    else
        setPath(spec_);
    setMode(mode);
    setLocking(true);
    setCallerReports(true);
}

StreamDest::~StreamDest() {
    leaveRecord();
    XXSTREAM::close();
}

XXSTRING StreamDest::reconcile(const char* sourceText, const char* patternText) {
    const std::string_view source = sourceText ? sourceText : "";
    const std::string_view pattern = patternText ? patternText : "";
    if (pattern.empty()) return XXSTRING(sourceText);

    // Forward phase: up to the first "*".
    std::string out;
    size_t pos = 0;
    size_t i = 0;
    bool marked = false;
    bool star = false;
    for (; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '*') {
            star = true;
            break;
        }
        if (c == '+') {
            marked = true;
            continue;
        }
        if (c == '?') {
            if (pos < source.size()) out += source[pos++];
        } else {
            out += c;
            if (!marked && pos < source.size()) ++pos;
        }
        marked = false;
    }
    if (!star) return XXSTRING(out.c_str(), int32_t(out.size()));

    // Backward phase: the rest of the pattern from its end, against the source from its end
    // down to where the forward phase stopped. The tail is built right to left.
    char tail[kTailSize];
    int32_t ot = kTailSize;
    int64_t back = int64_t(source.size()) - 1;
    const int64_t stop = int64_t(pos);
    marked = false;
    auto put = [&](char c, const char* code) {
        if (--ot < 0) {
            TitledError e("StreamDest::reconcile");
            e << ":  ot < 0 " << code << endMsg;
            ot = 0;
        }
        tail[ot] = c;
    };
    for (size_t j = pattern.size(); j > i + 1; --j) {
        const char c = pattern[j - 1];
        if (c == '*') continue;
        if (c == '+') {
            marked = true;
            continue;
        }
        if (c == '?') {
            if (back >= stop && back >= 0) put(source[size_t(back)], "(1)");
            --back;
        } else {
            put(c, "(2)");
            if (!marked) --back;
        }
        marked = false;
    }
    if (back >= stop) out.append(source.substr(size_t(stop), size_t(back - stop + 1)));
    out.append(tail + ot, size_t(kTailSize - ot));
    return XXSTRING(out.c_str(), int32_t(out.size()));
}

XXSTRING StreamDest::outputName() const {
    if (!wildcard_) return spec_;
    XXSTRING name;
    name << reconcile(input_.drive, specParts_.drive) << reconcile(input_.directory, specParts_.directory)
         << reconcile(input_.name, specParts_.name);
    const XXSTRING ext = reconcile(bareExtension(input_.extension), bareExtension(specParts_.extension));
    if (ext.length() > 0) name << "." << ext;
    return name;
}

int32_t StreamDest::open() {
    if (!wildcard_ && (isOpen() || sharer_)) return 2;
    const XXSTRING name = outputName();
    leaveRecord();
    sharer_ = nullptr;
    if (name.length() == 0) {
        XXSTREAM::close();
        reason_ = "it has no file name";
        return 0;
    }
    // The input being read is never an output: opening it anew would destroy it.
    refusedInput_ = input_.length() > 0 && sameFile(name.text(), input_.text());
    if (refusedInput_) {
        XXSTREAM::close();
        reason_ = "it is the input file being read";
        return 0;
    }
    const std::string key = name.text();
    const int32_t mode = opened_.count(key) ? appendMode : mode_;
    if (!makeFoldersFor(name)) {
        XXSTREAM::close();
        reason_ = systemErrorText(lastSystemError()).c_str();
        return 0;
    }
    if (FileId id; record_ && fileIdOf(name.text(), id)) {
        if (const auto held = record_->openFiles.find(id); held != record_->openFiles.end() && held->second != this) {
            XXSTREAM::close();
            if (!held->second) {
                reason_ = "it is the run's log";
                return 0;
            }
            sharer_ = held->second;
            sharedId_ = id;
            opened_.insert(key);
            return 2;
        }
    }
    if (!XXSTREAM::open(name, mode)) {
        reason_ = lastErrorText();
        return 0;
    }
    writeReported_ = false;
    opened_.insert(key);
    enterRecord();
    return 2;
}

StreamDest* StreamDest::sharedHolder() {
    if (!sharer_) return nullptr;
    if (const auto held = record_->openFiles.find(sharedId_);
        held != record_->openFiles.end() && held->second == sharer_)
        return sharer_;
    sharer_ = nullptr;
    const XXSTRING name = outputName();
    if (XXSTREAM::open(name, appendMode))
        enterRecord();
    else
        reportFailure(loadString(28), lastErrorText());
    return nullptr;
}

void StreamDest::enterRecord() {
    FileId id;
    if (!record_ || !fileIdOf(*this, id)) return;
    record_->written.insert(id);
    record_->openFiles[id] = this;
}

void StreamDest::leaveRecord() {
    FileId id;
    if (!record_ || !fileIdOf(*this, id)) return;
    if (const auto held = record_->openFiles.find(id); held != record_->openFiles.end() && held->second == this)
        record_->openFiles.erase(held);
}

void StreamDest::reportFailure(const char* what, const char* reason) {
    XXSTRING text;
    const XXSTRING name = outputName();
    text << what << " " << (name.length() > 0 ? name.text() : "an output") << ": " << reason;
    msg_ << text << toLog;
    Error e;
    e << text << endMsg;
    if (record_) ++record_->failures;
}

int32_t StreamDest::result(bool ok) {
    if (!ok && isOpen() && failed() && !writeReported_) {
        writeReported_ = true;
        reportFailure("Unable to write", lastErrorText());
    }
    return ok ? 2 : 0;
}

int32_t StreamDest::ensureOpen() {
    if (tried_) return 2;
    bool ok = true;
    if (needsOpen_) {
        ok = open() == 2;
        if (!ok) reportFailure(loadString(28), reason_);
        needsOpen_ = false;
    }
    tried_ = true;
    return result(ok);
}

int32_t StreamDest::notify(int32_t event, const char* inputName) {
    if (event != 2) return 2;
    input_.set(inputName);
    if (wildcard_) {
        tried_ = false;
        needsOpen_ = true;
    }
    return 2;
}

int32_t StreamDest::close() {
    sharer_ = nullptr;
    if (!isOpen()) return 2;
    leaveRecord();
    // Buffered bytes are handed to the system here, so that a refusal still names the file.
    const int32_t flushed = result(flush());
    XXSTREAM::close();
    return flushed;
}

int32_t StreamDest::reset() {
    sharer_ = nullptr;
    input_.set("");
    tried_ = false;
    needsOpen_ = true;
    opened_.clear();
    if (!wildcard_) setPath(spec_);
    return 2;
}

int32_t StreamDest::write(const unsigned char* bytes, int32_t length, bool reset) {
    if (StreamDest* holder = sharedHolder()) return holder->write(bytes, length, reset);
    return result(XXSTREAM::write(bytes, length));
}
int32_t StreamDest::writeText(const char* text, int32_t length, bool reset) {
    if (StreamDest* holder = sharedHolder()) return holder->writeText(text, length, reset);
    return result(XXSTREAM::write(text, length));
}
int32_t StreamDest::writeWide(const XXWCHAR* text, int32_t length, bool reset) {
    if (StreamDest* holder = sharedHolder()) return holder->writeWide(text, length, reset);
    return result(XXSTREAM::write(text, int64_t(length) * int64_t(sizeof(XXWCHAR))));
}
int32_t StreamDest::writeString(const XXSTRING& text, bool reset) {
    if (StreamDest* holder = sharedHolder()) return holder->writeString(text, reset);
    return result(text.isWide ? XXSTREAM::write(text.wide) : XXSTREAM::write(text));
}
int32_t StreamDest::writeWString(const XXWSTRING& text, bool reset) {
    if (StreamDest* holder = sharedHolder()) return holder->writeWString(text, reset);
    return result(XXSTREAM::write(text));
}
int32_t StreamDest::putByte(unsigned char byte) {
    if (StreamDest* holder = sharedHolder()) return holder->putByte(byte);
    return result(XXSTREAM::putByte(byte));
}
int32_t StreamDest::flushBytes(bool) { return 2; }
