// Test support of mail input: real Maildir stores written by the tests, a profile file in a
// configuration folder of the test's own, and definitions that copy every message's text
// to one output file per folder.
#pragma once

#include <cstdlib>
#include <string>

#include "tests/run/RunFixture.h"

// Sets an environment variable for the life of the object (unset: null value).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool had_;
};

// A Maildir++ store under `root`: folder "INBOX" is the root, any other is ".<name>".
class MaildirWriter {
public:
    explicit MaildirWriter(std::string root);
    // Makes the folder's cur/, new/ and tmp/ (the inbox's when folder is "INBOX").
    void folder(const std::string& folder) const;
    // Delivers a message (LF line ends become CR LF) to new/ or, as already seen, to cur/.
    // The unique name orders the messages. The path.
    std::string deliver(const std::string& folder, const std::string& unique, const std::string& message,
                        bool seen = false) const;
    std::string dir(const std::string& folder) const;
    const std::string& root() const { return root_; }

private:
    std::string root_;
};

// Writes the profile file under `configHome` (the XDG_CONFIG_HOME of the test).
void writeMailProfiles(const std::string& configHome, const std::string& text);

// A definition that appends each message's text and a "----" line to the output
// `outputSpec` (wildcards follow the folder), reading the rows given as store/folder pairs.
// Its one node matches `startText`.
struct MailDefinition {
    DefinitionBuilder d;
    PXNode* start = nullptr;
    explicit MailDefinition(const std::string& outputSpec, const char* startText = "never present in a message");
    void folder(const char* store, const char* folder, bool scan = true);
    void options(bool newOnly, bool simple, const char* profile, const char* password = "");
};
