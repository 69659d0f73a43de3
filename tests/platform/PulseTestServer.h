// A private PulseAudio server for tests and the bench: a null sink per entry,
// the native protocol on a socket in a fresh folder, nothing shared with a
// desktop session. Clients reach it through PULSE_SERVER.
//
// Works as root: the daemon warns that it is not meant to run as root but runs
// (system mode is not needed); -n skips the default script, so no sound card or
// D-Bus is touched; the socket takes anonymous clients, so no cookie is needed;
// HOME, XDG_RUNTIME_DIR and PULSE_RUNTIME_PATH all point into the fresh folder,
// so nothing is written to the user's own configuration.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace pulsetest {

struct NullSink {
    std::string strName;
    unsigned nRate;
    std::string strFormat;  // "float32le", "s16le"
};

inline std::string FindProgram(const std::string& strName)
{
    for (const char* dir : {"/usr/bin", "/bin", "/usr/local/bin"}) {
        const std::filesystem::path p = std::filesystem::path(dir) / strName;
        if (::access(p.c_str(), X_OK) == 0) return p.string();
    }
    return {};
}

class CPulseTestServer {
public:
    CPulseTestServer()
    {
        char szTemplate[] = "/tmp/zorvik-pulse-XXXXXX";
        if (::mkdtemp(szTemplate)) m_dir = szTemplate;
    }
    ~CPulseTestServer()
    {
        Kill();
        std::error_code ec;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ec);
    }
    CPulseTestServer(const CPulseTestServer&) = delete;
    CPulseTestServer& operator=(const CPulseTestServer&) = delete;

    // Empty when the server runs and takes clients; otherwise why not.
    std::string Start(const std::vector<NullSink>& sinks)
    {
        const std::string strDaemon = FindProgram("pulseaudio");
        if (strDaemon.empty()) return "pulseaudio is not installed";
        if (FindProgram("pacat").empty() || FindProgram("pactl").empty()) return "pulseaudio-utils is not installed";
        if (m_dir.empty()) return "no temporary folder";
        std::filesystem::create_directories(m_dir / "rt");
        std::vector<std::string> args = {strDaemon, "-n", "--daemonize=no", "--exit-idle-time=-1",
                                         "--disallow-exit=yes", "--use-pid-file=no",
                                         "--log-target=file:" + (m_dir / "server.log").string(),
                                         "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + Socket()};
        for (const NullSink& s : sinks) {
            args.push_back("-L");
            args.push_back("module-null-sink sink_name=" + s.strName + " rate=" + std::to_string(s.nRate) +
                           " channels=2 format=" + s.strFormat);
        }
        m_pid = Spawn(args, ServerEnv());
        if (m_pid <= 0) return "cannot start pulseaudio";
        // Up once pactl can talk to it; a few seconds at most.
        for (int i = 0; i < 100; ++i) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return "pulseaudio exited at start: " + Log();
            }
            if (std::filesystem::exists(Socket()) && Run({"pactl", "info"}) == 0) return {};
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        Kill();
        return "pulseaudio did not come up: " + Log();
    }

    // Ends the server at once, as a crash would.
    void Kill()
    {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
        std::error_code ec;
        std::filesystem::remove(Socket(), ec);
    }

    // A null sink renders on a timer set for its longest latency (2 s) until
    // it next wakes; a stream asking for less gets its first data only then.
    // Suspending and resuming restarts the timer at the latency now asked for.
    void Nudge(const std::string& strSink) const
    {
        Run({"pactl", "suspend-sink", strSink, "1"});
        Run({"pactl", "suspend-sink", strSink, "0"});
    }

    std::string ServerAddress() const { return "unix:" + Socket(); }
    const std::filesystem::path& Dir() const { return m_dir; }

    // A client program against this server; its exit status.
    int Run(const std::vector<std::string>& args) const
    {
        std::vector<std::string> full = args;
        full[0] = FindProgram(args[0]);
        const pid_t pid = Spawn(full, ClientEnv());
        int status = 0;
        if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Starts a client in the background; the caller ends it with Reap.
    pid_t Launch(const std::vector<std::string>& args) const
    {
        std::vector<std::string> full = args;
        full[0] = FindProgram(args[0]);
        return Spawn(full, ClientEnv());
    }
    static void Reap(pid_t pid)
    {
        if (pid <= 0) return;
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }

    // Plays a 16-bit stereo tone into a sink from a file; returns the pacat process.
    pid_t PlayTone(const std::string& strSink, double dFreq, double dAmplitude, unsigned nRate, double dSeconds) const
    {
        const std::filesystem::path file =
            m_dir / ("tone-" + std::to_string(int(dFreq)) + "-" + std::to_string(m_nFiles++) + ".raw");
        {
            std::ofstream out(file, std::ios::binary);
            const size_t nFrames = size_t(dSeconds * nRate);
            for (size_t i = 0; i < nFrames; ++i) {
                const auto s = int16_t(std::lround(dAmplitude * 32767 * std::sin(2 * M_PI * dFreq * double(i) / nRate)));
                const char b[4] = {char(s & 0xFF), char((s >> 8) & 0xFF), char(s & 0xFF), char((s >> 8) & 0xFF)};
                out.write(b, 4);
            }
        }
        return Launch({"pacat", "--raw", "--format=s16le", "--rate=" + std::to_string(nRate), "--channels=2",
                       "--latency-msec=20", "-d", strSink, file.string()});
    }

    std::string Log() const
    {
        std::ifstream in(m_dir / "server.log");
        std::string s((std::istreambuf_iterator<char>(in)), {});
        return s.size() > 600 ? s.substr(s.size() - 600) : s;
    }

private:
    std::string Socket() const { return (m_dir / "native").string(); }
    std::vector<std::string> ServerEnv() const
    {
        return {"HOME=" + m_dir.string(), "XDG_RUNTIME_DIR=" + (m_dir / "rt").string(),
                "PULSE_RUNTIME_PATH=" + (m_dir / "rt").string(), "PATH=/usr/bin:/bin", "LANG=C"};
    }
    std::vector<std::string> ClientEnv() const
    {
        return {"HOME=" + m_dir.string(), "XDG_RUNTIME_DIR=" + (m_dir / "rt").string(),
                "PULSE_SERVER=" + ServerAddress(), "PATH=/usr/bin:/bin", "LANG=C"};
    }
    static pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env)
    {
        std::vector<char*> argv, envp;
        for (const std::string& s : args) argv.push_back(const_cast<char*>(s.c_str()));
        argv.push_back(nullptr);
        for (const std::string& s : env) envp.push_back(const_cast<char*>(s.c_str()));
        envp.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), envp.data()) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&fa);
        return pid;
    }

    std::filesystem::path m_dir;
    pid_t m_pid = -1;
    mutable int m_nFiles = 0;
};

}  // namespace pulsetest
