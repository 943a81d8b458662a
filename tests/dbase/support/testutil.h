#pragma once
// Helpers of the engine tests: temporary folders, whole-file I/O and child processes.
#include <string>
#include <vector>

namespace testutil {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);

struct RunResult {
    int exitCode = -1; // -1 when the program could not be started or died by a signal
    std::string out;
    std::string err;
};
// Runs a program (argv[0] is looked up on PATH) with the given standard input.
RunResult run(const std::vector<std::string>& argv, const std::string& input = {});

// True when /usr/bin/python3 can import the module.
bool pythonHas(const std::string& module);
bool programExists(const std::string& name);

} // namespace testutil
