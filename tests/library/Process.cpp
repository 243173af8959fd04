#include "tests/library/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

// Files for the standard streams of one run, in a folder of their own.
struct StreamFiles {
    std::string folder;
    StreamFiles() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillon-proc-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder for a process");
        folder = pattern;
    }
    ~StreamFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string in() const { return folder + "/in"; }
    std::string out() const { return folder + "/out"; }
    std::string err() const { return folder + "/err"; }
};

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> environment(const std::map<std::string, std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (!extra.count(name)) env.push_back(entry);
    }
    for (const auto& [name, value] : extra) env.push_back(name + "=" + value);
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> out;
    for (std::string& t : texts) out.push_back(t.data());
    out.push_back(nullptr);
    return out;
}

void noteEnd(int status, ProcessResult& result) {
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

pid_t spawn(const std::string& program, const std::vector<std::string>& arguments, const ProcessOptions& options,
            posix_spawn_file_actions_t& actions) {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env = environment(options.env);
    if (!options.dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, options.dir.c_str());
    pid_t child = -1;
    const int failed =
        posix_spawn(&child, program.c_str(), &actions, nullptr, pointers(argv).data(), pointers(env).data());
    if (failed != 0) throw std::runtime_error("cannot start " + program + ": " + std::strerror(failed));
    return child;
}

}  // namespace

std::string binary(const std::string& name) { return std::string(QUILLON_BIN_DIR) + "/" + name; }

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options) {
    StreamFiles files;
    std::ofstream(files.in(), std::ios::binary) << options.input;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, files.in().c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, files.out().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, files.err().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ProcessResult result;
    try {
        const pid_t child = spawn(program, arguments, options, actions);
        int status = 0;
        if (waitpid(child, &status, 0) == child) noteEnd(status, result);
    } catch (...) {
        posix_spawn_file_actions_destroy(&actions);
        throw;
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = slurp(files.out());
    result.err = slurp(files.err());
    return result;
}

ProcessResult runOnTerminal(const std::string& program, const std::vector<std::string>& arguments,
                            const ProcessOptions& options) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    const std::string slave = ptsname(master);
    StreamFiles files;
    std::ofstream(files.in(), std::ios::binary) << options.input;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, files.in().c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, files.out().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, slave.c_str(), O_RDWR | O_NOCTTY, 0);
    posix_spawn_file_actions_addclose(&actions, master);
    ProcessResult result;
    const pid_t child = spawn(program, arguments, options, actions);
    posix_spawn_file_actions_destroy(&actions);
    // Read the terminal while the program runs (a full terminal buffer would stop it), and
    // what is left once it has ended.
    bool ended = false;
    for (;;) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, ended ? 0 : 50) > 0 && (p.revents & POLLIN)) {
            char chunk[4096];
            const ssize_t n = read(master, chunk, sizeof chunk);
            if (n > 0) {
                result.err.append(chunk, size_t(n));
                continue;
            }
        }
        if (ended) break;
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            ended = true;
        }
    }
    close(master);
    result.out = slurp(files.out());
    return result;
}

struct RunningProcess::Files : StreamFiles {};

RunningProcess::RunningProcess(const std::string& program, const std::vector<std::string>& arguments,
                               const ProcessOptions& options, bool blockedOutput)
    : files_(std::make_unique<Files>()) {
    int pipeEnds[2] = {-1, -1};
    if (blockedOutput && pipe2(pipeEnds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (blockedOutput)
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, files_->out().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, files_->err().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    try {
        pid_ = spawn(program, arguments, options, actions);
    } catch (...) {
        posix_spawn_file_actions_destroy(&actions);
        throw;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (blockedOutput) {
        close(pipeEnds[1]);
        blockedPipe_ = pipeEnds[0];
    }
}

RunningProcess::~RunningProcess() {
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (blockedPipe_ >= 0) close(blockedPipe_);
}

int RunningProcess::pendingOutput() const {
    int n = 0;
    return blockedPipe_ >= 0 && ioctl(blockedPipe_, FIONREAD, &n) == 0 ? n : 0;
}

void RunningProcess::sendSignal(int signal) const { kill(pid_, signal); }

bool RunningProcess::running() {
    if (pid_ < 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
    noteEnd(status, result_);
    pid_ = -1;
    return false;
}

std::string RunningProcess::errSoFar() const { return slurp(files_->err()); }

ProcessResult RunningProcess::finish(int seconds) {
    if (!waitUntil([this] { return !running(); }, seconds)) {
        kill(pid_, SIGKILL);
        waitUntil([this] { return !running(); }, seconds);
    }
    result_.out = slurp(files_->out());
    result_.err = slurp(files_->err());
    return result_;
}

bool waitUntil(const std::function<bool()>& condition, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
