// The desktop program's start-up and idle cost.
//
//  1. Wall time and peak memory of a screenshot run of the demo
//     (zorvik --demo --screenshot FILE) against a bare Qt program that opens a
//     window of the same size and grabs it the same way, each a child process,
//     alternating over several rounds: the median wall-time ratio and the
//     median peak-memory ratio (targets at most 1.3 and 1.5).
//  2. The time to load a generated 2 MB text catalogue, in ms.
//  3. The idle cost of the running demo, started hidden as at login (target
//     near zero) and shown on the mouse's lighting page (the picture's preview
//     animates): the CPU time and wake-ups (context switches of all its
//     threads) per second over 5 seconds.
//
// Figures only; nothing is checked against a threshold.
//
//   startup_bench [ROUNDS]    (default 7)
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "text/TextCatalogue.h"

namespace fs = std::filesystem;

namespace {

struct ChildRun {
    double dWallMs = 0;
    long nMaxRssKb = 0;
    int nStatus = -1;
};

pid_t Spawn(const std::vector<std::string>& args)
{
    std::fflush(stdout);  // a child must not write our buffered figures again
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (!getenv("ZV_BENCH_VERBOSE")) {
            freopen("/dev/null", "w", stdout);
            freopen("/dev/null", "w", stderr);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

ChildRun Run(const std::vector<std::string>& args)
{
    ChildRun r;
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = Spawn(args);
    rusage ru{};
    int nStatus = 0;
    if (pid > 0 && wait4(pid, &nStatus, 0, &ru) == pid) {
        r.dWallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        r.nMaxRssKb = ru.ru_maxrss;
        r.nStatus = nStatus;
    }
    return r;
}

template <typename T>
double Median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? double(v[n / 2]) : (double(v[n / 2 - 1]) + double(v[n / 2])) / 2;
}

// utime + stime of a process, in clock ticks.
long long CpuTicks(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string s((std::istreambuf_iterator<char>(f)), {});
    const size_t p = s.rfind(')');
    if (p == std::string::npos) return -1;
    std::istringstream in(s.substr(p + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && in >> field; ++i) {
        if (i == 14) utime = std::stoll(field);
        if (i == 15) stime = std::stoll(field);
    }
    return utime + stime;
}

// Voluntary plus involuntary context switches of every thread of a process.
long long ContextSwitches(pid_t pid)
{
    long long n = 0;
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream f(task.path() / "status");
        std::string line;
        while (std::getline(f, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                n += std::stoll(line.substr(line.find(':') + 1));
        }
    }
    return n;
}

bool LogSays(const fs::path& dir, const std::string& what)
{
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(dir, ec)) {
        if (!e.is_regular_file() || e.path().filename() != "Log.txt") continue;
        std::ifstream f(e.path());
        std::string s((std::istreambuf_iterator<char>(f)), {});
        if (s.find(what) != std::string::npos) return true;
    }
    return false;
}

std::string GeneratedCatalogue()
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<text>\n<config>\n";
    const std::string filler(400, 'x');
    size_t n = 0;
    for (const std::string& key : AllTextKeys()) {
        for (int i = 0; i < 12; ++i, ++n)
            xml += "<tc_unknown" + std::to_string(n) + ">" + filler + "</tc_unknown" + std::to_string(n) + ">\n";
        xml += "<" + key + ">Text of " + key + "</" + key + ">\n";
    }
    return xml + "</config>\n</text>\n";
}

}  // namespace

int main(int argc, char** argv)
{
    const int nRounds = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const fs::path appDir = fs::path(ZV_BINARY_DIR) / "app";
    const std::string zorvik = (appDir / "zorvik").string();
    const std::string bare = (fs::canonical("/proc/self/exe").parent_path() / "bare_window").string();
    const fs::path tmp = fs::temp_directory_path() / ("zv-startup-bench-" + std::to_string(getpid()));
    fs::create_directories(tmp);

    // 1. Start-up, alternating so that both see the same machine load.
    std::vector<double> wallZ, wallB, rssZ, rssB;
    Run({bare, (tmp / "warm.png").string()});  // page cache warm for both
    for (int i = 0; i < nRounds; ++i) {
        const fs::path user = tmp / ("user" + std::to_string(i));
        fs::create_directories(user);
        const ChildRun z = Run({zorvik, "--demo", "--screenshot", (tmp / "z.png").string(), "--app-dir",
                                appDir.string(), "--user-dir", user.string()});
        const ChildRun b = Run({bare, (tmp / "b.png").string()});
        if (z.nStatus != 0 || b.nStatus != 0)
            std::printf("round %d: exit status zorvik %d, bare %d\n", i + 1, z.nStatus, b.nStatus);
        wallZ.push_back(z.dWallMs), wallB.push_back(b.dWallMs);
        rssZ.push_back(double(z.nMaxRssKb)), rssB.push_back(double(b.nMaxRssKb));
    }
    const double mWz = Median(wallZ), mWb = Median(wallB), mRz = Median(rssZ), mRb = Median(rssB);
    std::printf("start-up (%d rounds, medians):\n", nRounds);
    std::printf("  zorvik      %8.1f ms  %8.0f KiB peak\n", mWz, mRz);
    std::printf("  bare window %8.1f ms  %8.0f KiB peak\n", mWb, mRb);
    std::printf("  wall-time ratio   %.2f (target <= 1.3)\n", mWz / mWb);
    std::printf("  peak-memory ratio %.2f (target <= 1.5)\n", mRz / mRb);

    // 2. The catalogue.
    const fs::path cat = tmp / "text.xml";
    {
        const std::string xml = GeneratedCatalogue();
        std::ofstream(cat, std::ios::binary) << xml;
        std::vector<double> ms;
        for (int i = 0; i < 5; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            LoadTextCatalogue(cat);
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        }
        std::printf("text catalogue: %.1f MB, %zu keys, load %.1f ms (median of 5)\n", double(xml.size()) / (1 << 20),
                    AllTextKeys().size(), Median(ms));
    }

    // 3. Idle: hidden as at login (in the tray), and shown on the mouse's
    // lighting page, where the picture's preview runs on purpose.
    for (const bool bHidden : {true, false}) {
        const fs::path user = tmp / (bHidden ? "idle-hidden" : "idle-shown");
        fs::create_directories(user);
        std::vector<std::string> args = {zorvik, "--demo", "--app-dir", appDir.string(), "--user-dir", user.string()};
        if (bHidden) args.push_back("--hidden");
        const pid_t pid = Spawn(args);
        const char* pszMark = bHidden ? "Main window hidden" : "Main window shown";
        const auto tStart = std::chrono::steady_clock::now();
        bool bReady = false;
        while (!(bReady = LogSays(user, pszMark)) && std::chrono::steady_clock::now() - tStart < std::chrono::seconds(60))
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const char* pszWhat = bHidden ? "idle, hidden" : "idle, shown (lighting preview running)";
        if (!bReady) {
            std::printf("%s: the program did not get ready within 60 s\n", pszWhat);
        } else {
            std::this_thread::sleep_for(std::chrono::seconds(2));  // let discovery, the first paint and timers settle
            const long long cpu0 = CpuTicks(pid), cs0 = ContextSwitches(pid);
            std::this_thread::sleep_for(std::chrono::seconds(5));
            const long long cpu1 = CpuTicks(pid), cs1 = ContextSwitches(pid);
            const double dCpuMs = double(cpu1 - cpu0) * 1000.0 / double(sysconf(_SC_CLK_TCK));
            int nEnded = 0;
            if (waitpid(pid, &nEnded, WNOHANG) == pid) {
                std::printf("%s: the program ended during the measurement (status %d)\n", pszWhat, nEnded);
                continue;
            }
            std::printf("%s, over 5 s: CPU %.0f ms (%.2f %% of a core), %.1f wake-ups/s\n", pszWhat, dCpuMs,
                        dCpuMs / 50.0, double(cs1 - cs0) / 5.0);
        }
        kill(pid, SIGTERM);
        int nStatus = 0;
        waitpid(pid, &nStatus, 0);
    }
    std::error_code ec;
    fs::remove_all(tmp, ec);
    return 0;
}
