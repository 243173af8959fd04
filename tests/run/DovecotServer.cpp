#include "tests/run/DovecotServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// A loopback port nobody listens on now.
int freePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("no free loopback port");
    close(s);
    return ntohs(address.sin_port);
}

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

DovecotServer::DovecotServer() {
    dir_ = (fs::temp_directory_path() / ("quillon-dovecot-" + std::to_string(getpid()))).string();
    fs::remove_all(dir_);
    for (const char* sub : {"run", "state", "home/Maildir/cur", "home/Maildir/new", "home/Maildir/tmp"})
        fs::create_directories(dir_ + "/" + sub);
    // The login and mail processes must reach the folder.
    fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    uid_ = getuid() == 0 ? kNobody : getuid();
    gid_ = getuid() == 0 ? kNobody : getgid();
    port_ = freePort();
    writeConfiguration();
    giveMailToUser();

    const std::string config = dir_ + "/dovecot.conf";
    const char* argv[] = {"/usr/sbin/dovecot", "-F", "-c", config.c_str(), nullptr};
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start /usr/sbin/dovecot (is dovecot-imapd installed?)");
    }
    if (!waitUntilListening()) {
        const std::string log = fileText(dir_ + "/dovecot.log");
        throw std::runtime_error("Dovecot did not start on port " + std::to_string(port_) + ":\n" + log);
    }
}

DovecotServer::~DovecotServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

void DovecotServer::writeConfiguration() const {
    std::ofstream(dir_ + "/passwd") << user << ":{PLAIN}" << password << ":" << uid_ << ":" << gid_ << "::" << dir_
                                    << "/home::\n";
    std::ofstream conf(dir_ + "/dovecot.conf");
    conf << "base_dir = " << dir_ << "/run\n"
         << "state_dir = " << dir_ << "/state\n"
         << "log_path = " << dir_ << "/dovecot.log\n"
         << "protocols = imap\n"
         << "listen = 127.0.0.1\n"
         << "ssl = no\n"
         << "disable_plaintext_auth = no\n"
         << "auth_mechanisms = plain login\n"
         << "auth_failure_delay = 0\n"
         << "first_valid_uid = " << uid_ << "\n"
         << "mail_location = maildir:~/Maildir\n"
         << "default_login_user = dovenull\n"
         << "default_internal_user = dovecot\n"
         << "passdb {\n  driver = passwd-file\n  args = " << dir_ << "/passwd\n}\n"
         << "userdb {\n  driver = passwd-file\n  args = " << dir_ << "/passwd\n}\n"
         << "service imap-login {\n  inet_listener imap {\n    address = 127.0.0.1\n    port = " << port_
         << "\n  }\n  inet_listener imaps {\n    port = 0\n  }\n}\n"
         // A wrong password must not slow down the logins that follow.
         << "service anvil {\n  unix_listener anvil-auth-penalty {\n    mode = 0\n  }\n}\n";
}

void DovecotServer::giveMailToUser() const {
    if (getuid() != 0) return;
    for (const auto& entry : fs::recursive_directory_iterator(dir_ + "/home"))
        if (lchown(entry.path().c_str(), uid_, gid_) != 0) throw std::runtime_error("cannot chown " + entry.path().string());
    if (lchown((dir_ + "/home").c_str(), uid_, gid_) != 0) throw std::runtime_error("cannot chown the mail home");
}

std::string DovecotServer::url() const { return std::string("imap://") + user + "@127.0.0.1:" + std::to_string(port_); }

bool DovecotServer::waitUntilListening() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;   // ended already, and reaped
            return false;
        }
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool up = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(s);
        if (up) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}
