#include "support/testutil.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace testutil {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "qdbase-test-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

RunResult run(const std::vector<std::string>& argv, const std::string& input) {
    std::signal(SIGPIPE, SIG_IGN);
    RunResult r;
    int inPipe[2], outPipe[2], errPipe[2];
    if (::pipe2(inPipe, O_CLOEXEC) || ::pipe2(outPipe, O_CLOEXEC) || ::pipe2(errPipe, O_CLOEXEC)) return r;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(inPipe[0], 0);
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ::close(inPipe[0]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    size_t written = 0;
    if (input.empty()) {
        ::close(inPipe[1]);
        inPipe[1] = -1;
    }
    pollfd fds[3] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}, {inPipe[1], POLLOUT, 0}};
    int open = 2;
    char buf[65536];
    while (open > 0 || fds[2].fd >= 0) {
        if (::poll(fds, 3, -1) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP))) {
                ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
                if (n <= 0) {
                    ::close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                } else {
                    (i == 0 ? r.out : r.err).append(buf, n);
                }
            }
        }
        if (fds[2].fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t n = ::write(fds[2].fd, input.data() + written, input.size() - written);
            if (n > 0) written += n;
            if (n <= 0 || written == input.size()) {
                ::close(fds[2].fd);
                fds[2].fd = -1;
            }
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

bool pythonHas(const std::string& module) {
    if (::access("/usr/bin/python3", X_OK) != 0) return false;
    return run({"/usr/bin/python3", "-c", "import " + module}).exitCode == 0;
}

bool programExists(const std::string& name) {
    return run({"sh", "-c", "command -v " + name + " >/dev/null"}).exitCode == 0;
}

} // namespace testutil
