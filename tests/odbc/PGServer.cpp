// PGServer: initdb, pg_ctl start and stop, run through the shell as the cluster's owner.
#include "tests/odbc/PGServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// The bin folder of the newest PostgreSQL installed under /usr/lib/postgresql.
std::string findBinDir() {
  std::string best;
  int bestVersion = -1;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator("/usr/lib/postgresql", error)) {
    fs::path bin = entry.path() / "bin";
    int version = std::atoi(entry.path().filename().c_str());
    if (fs::exists(bin / "initdb") && fs::exists(bin / "pg_ctl") && version > bestVersion) {
      best = bin.string();
      bestVersion = version;
    }
  }
  if (best.empty())
    throw std::runtime_error("PostgreSQL not installed: no /usr/lib/postgresql/*/bin/initdb "
                             "(install the postgresql package)");
  return best;
}

// A loopback port that was free a moment ago.
int freePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0)
    throw std::runtime_error("cannot open a socket to find a free port");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    throw std::runtime_error("cannot bind a loopback socket to find a free port");
  }
  int port = ntohs(address.sin_port);
  ::close(fd);
  return port;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool runShell(const std::string& command) { return std::system(command.c_str()) == 0; }

}  // namespace

std::string PGServer::tool(const std::string& name) const { return binDir_ + "/" + name; }

std::string PGServer::asOwner(const std::string& command) const {
  if (geteuid() != 0)
    return command;
  return "runuser -u postgres -- " + command;
}

PGServer::PGServer() {
  binDir_ = findBinDir();
  std::string pattern = (fs::temp_directory_path() / "quillon-pg-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot make a temporary folder for PostgreSQL");
  dir_ = pattern;
  if (geteuid() == 0) {
    passwd* owner = getpwnam("postgres");
    if (owner == nullptr || chown(dir_.c_str(), owner->pw_uid, owner->pw_gid) != 0) {
      fs::remove_all(dir_);
      throw std::runtime_error("running as root needs the postgres system user to own " + dir_);
    }
  }
  startWatchdog();
  std::string initdb = asOwner(tool("initdb") + " -D " + dir_ + "/data -A trust -U postgres" +
                               " -E UTF8 --locale=C --no-sync > " + dir_ + "/initdb.log 2>&1");
  if (!runShell(initdb))
    throw std::runtime_error("initdb failed:\n" + readFile(dir_ + "/initdb.log"));
  // A port found free can be taken by someone else before the server binds it: try again.
  for (int attempt = 0; attempt < 3; ++attempt)
    if (start())
      return;
  throw std::runtime_error("PostgreSQL server did not start:\n" + readFile(dir_ + "/server.log"));
}

bool PGServer::start() {
  port_ = freePort();
  std::string options = "-p " + std::to_string(port_) + " -c listen_addresses=127.0.0.1 -k " +
                        dir_ + " -c fsync=off";
  return runShell(asOwner(tool("pg_ctl") + " -D " + dir_ + "/data -l " + dir_ +
                          "/server.log -w -t 60 -o '" + options + "' start > " + dir_ +
                          "/pg_ctl.log 2>&1"));
}

static std::string stopCommand(const std::string& pgCtl, const std::string& dir, bool root) {
  std::string stop = pgCtl + " -D " + dir + "/data -m fast -w stop";
  return root ? "runuser -u postgres -- " + stop : stop;
}

void PGServer::startWatchdog() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0)
    throw std::runtime_error("cannot make the watchdog pipe");
  // The shell waits for the end of its input, which comes when this process closes the pipe
  // or dies; then the server is stopped (if still running) and the folder removed.
  std::string script = "cat > /dev/null; if [ -f " + dir_ + "/data/postmaster.pid ]; then " +
                       stopCommand(tool("pg_ctl"), dir_, geteuid() == 0) +
                       " > /dev/null 2>&1; fi; rm -rf " + dir_;
  const char* argv[] = {"/bin/sh", "-c", script.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[0], 0);
  int failed = posix_spawn(&watchdog_, "/bin/sh", &actions, nullptr,
                           const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(ends[0]);
  if (failed != 0) {
    ::close(ends[1]);
    watchdog_ = -1;
    throw std::runtime_error("cannot start the PostgreSQL watchdog");
  }
  watchdogPipe_ = ends[1];
}

PGServer::~PGServer() {
  if (port_ != 0)
    runShell(stopCommand(tool("pg_ctl"), dir_, geteuid() == 0) + " > /dev/null 2>&1");
  if (watchdogPipe_ >= 0)
    ::close(watchdogPipe_);
  if (watchdog_ > 0) {
    int status = 0;
    waitpid(watchdog_, &status, 0);
  }
}
