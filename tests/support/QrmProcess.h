#pragma once

// Starts the real QRM server for integration tests.
//
// Each CQrmProcess owns a fresh temporary data folder and three free ports (XML channel,
// discovery, HTTP). Start() writes "QRM.config" with those ports plus any values given with
// SetConfig(), starts QRM --headless --data-dir <folder> in the chosen working directory and
// waits until "Server is started" appears in "qrm.log". The destructor stops the server with
// SIGTERM (SIGKILL after the timeout) and removes the temporary folder.
//
// Not thread-safe: one test thread drives one instance. Standard output and standard error
// of the server go to "stdio.txt" in the data folder (see StdioText()).

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace vantor::test {

// The QRM binary that the test target was built against: the compile definition
// VANTOR_QRM_PATH (set to $<TARGET_FILE:QRM> by the test's CMakeLists.txt).
inline std::string QrmBinaryPath() {
#ifdef VANTOR_QRM_PATH
    return VANTOR_QRM_PATH;
#else
    return {};
#endif
}

class CQrmProcess {
public:
    explicit CQrmProcess(std::string binaryPath = QrmBinaryPath());
    ~CQrmProcess();
    CQrmProcess(const CQrmProcess&) = delete;
    CQrmProcess& operator=(const CQrmProcess&) = delete;

    // Adds or replaces a "QRM.config" entry written by the next Start().
    void SetConfig(const std::string& key, const std::string& value);
    // Working directory of the server (the client-update files are read below it).
    // Default: the data folder.
    void SetWorkingDirectory(const std::string& dir) { m_workDir = dir; }
    // Sets an environment variable for the server (the rest is inherited). By default
    // VANTOR_REGISTRY_DIR points to an empty folder inside the data folder, so the server
    // never sees this machine's registry, and DBUS_SYSTEM_BUS_ADDRESS to a socket that does
    // not exist, so it never announces itself on this machine's DNS-SD daemon.
    void SetEnv(const std::string& name, const std::string& value) { m_env[name] = value; }
    // Extra command-line arguments after "--headless --data-dir <folder>".
    void SetExtraArgs(std::vector<std::string> args) { m_extraArgs = std::move(args); }

    // Writes the configuration, starts the process and waits for "Server is started".
    // Returns false (after stopping the process) when it does not come up in time.
    bool Start(int timeoutMs = 30000);
    // SIGTERM, then waits; SIGKILL after the timeout. Returns the exit status as
    // waitpid() reports it, or -1 when nothing was running.
    int Stop(int timeoutMs = 30000);
    bool IsRunning();
    // Sends a signal to the running server; false when none runs.
    bool Signal(int sig);
    // Waits for the process to end by itself; returns the waitpid() status or -1 on timeout.
    int WaitForExit(int timeoutMs);
    // The waitpid() status of the last run that ended (-1 when none has).
    int ExitStatus() const { return m_exitStatus; }
    // Sleeps until the server has been up for at least `duration` since Start() saw it
    // come up (a freshly started web channel answers held polls after one second).
    void WaitUntilUpFor(std::chrono::milliseconds duration) const;

    // Whole current "qrm.log" (empty when missing).
    std::string LogText() const;
    std::string StdioText() const;
    // Waits until "qrm.log" contains `text` at least `count` times.
    bool WaitForLog(const std::string& text, int timeoutMs = 10000, int count = 1) const;
    // Number of occurrences of `text` in "qrm.log".
    int CountInLog(const std::string& text) const;

    int XmlPort() const { return m_xmlPort; }
    int DiscoveryPort() const { return m_discoveryPort; }
    int HttpPort() const { return m_httpPort; }
    // Data folder with a trailing '/'.
    const std::string& DataDir() const { return m_dataDir; }
    pid_t Pid() const { return m_pid; }

private:
    bool WriteConfig() const;

    std::string m_binary;
    std::string m_dataDir;
    std::string m_workDir;
    std::vector<std::string> m_extraArgs;
    std::map<std::string, std::string> m_config;
    std::map<std::string, std::string> m_env;
    int m_xmlPort = 0;
    int m_discoveryPort = 0;
    int m_httpPort = 0;
    pid_t m_pid = -1;
    int m_exitStatus = -1;
    std::chrono::steady_clock::time_point m_upSince;
};

// Runs a program to its end (killed after the timeout), collecting standard output and
// standard error into *output. Returns the exit code, or -1 when it did not end normally.
int RunProgram(const std::vector<std::string>& args, std::string* output = nullptr,
               int timeoutMs = 30000);

// A port free for both TCP and UDP on 127.0.0.1 at the time of the call; 0 on failure.
int FindFreePort();

// Reads a whole file; empty when it cannot be read.
std::string ReadFileText(const std::string& path);
// Writes a whole file, creating missing parent folders.
bool WriteFileText(const std::string& path, const std::string& text);
// A new empty temporary folder with a trailing '/'; the caller removes it.
std::string MakeTempDir(const std::string& prefix = "vantor-test-");

// The process whose first argument is `program`; 0 when there is none.
int FindProcessStartedAs(const std::string& program);
// Kills the process outright and waits until it has ended (also when it is someone else's
// child and stays as a zombie): afterwards it answers nobody. False when it did not end.
bool KillAndWait(int pid, int timeoutMs = 5000);

}  // namespace vantor::test
