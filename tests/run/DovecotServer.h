// DovecotServer: a throw-away IMAP server (Dovecot) for the mail tests.
//
// It writes a configuration of its own in a temporary folder (nothing under /etc is read
// or written), with one user whose password is in a password file there and whose Maildir
// is in the folder, and runs Dovecot in the foreground on a free loopback port. Mail
// processes run as the calling user, or, for root (which Dovecot refuses), as "nobody";
// giveMailToUser() hands the Maildir to that user after the tests wrote into it.
//
// The constructor throws std::runtime_error with the reason (and the server log) when the
// server cannot be started; the caller must fail, not skip.
#pragma once

#include <string>
#include <sys/types.h>

class DovecotServer {
public:
    static constexpr const char* user = "quillon";
    static constexpr const char* password = "s3cret";

    DovecotServer();
    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;
    ~DovecotServer();

    int port() const { return port_; }
    // The user's Maildir.
    std::string maildir() const { return dir_ + "/home/Maildir"; }
    // Makes everything in the user's home the mail user's again.
    void giveMailToUser() const;
    // "imap://quillon@127.0.0.1:PORT".
    std::string url() const;

private:
    void writeConfiguration() const;
    bool waitUntilListening();

    std::string dir_;
    int port_ = 0;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    pid_t pid_ = -1;
};
