// The frame-rate benchmark: runs the real `game` (and `game_nv`) headless on
// the fixed frame clock through the scripted flight of flight.script at
// several resolutions, with the bare reference frame of `refframe` at each
// resolution in the same run, and reports milliseconds per frame, frames
// per second, the start-up time to the main menu and the level's load time.
// With --baseline a second build is measured in the same run, its runs
// interleaved with this build's, and the screenshots of both are compared
// pixel by pixel.
//
// Every run gets a folder of its own under --out (links to the build's data
// folders, its own init.props), so the build's own files stay untouched.

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "BenchPicture.h"

namespace {

// The flight: frames after kMeasureFirst up to kLastFrame are timed; the
// program is closed after kLastFrame.
const int kMeasureFirst = 500;
const int kLastFrame = 900;
const int kFrameMs = 20;
const std::vector<int> kShots = {540, 600, 660, 700, 760, 800, 830, 870, 900};
// The main menu starts (fades in from black) within this frame range.
const int kMenuSearchFirst = 150;
const int kMenuSearchLast = 359;
const int kReferenceFrames = 300;
// Frames timed per view of coastviews (views from the sea, the island
// mirrored in the water).
const int kCoastFrames = 10;
const int kCoastViews = 5;
const int kRunTimeoutSeconds = 900;
const char* const kDataFolders[] = {"tex", "mods", "programs", "terrain", "Levels", "itemdata", "sound"};

struct Options {
    std::string build;
    std::string baseline;
    std::string out = "bench-out";
    std::vector<std::pair<int, int>> resolutions = {{640, 480}, {1024, 768}, {1600, 1200}};
    int runs = 1;
    int tolerance = 2;
    double outliers = 0.0001;  // share of the pixels that may go beyond it
    bool nv = true;
    bool realtime = false;
};

// With --realtime every program runs under the first-in-first-out real-time
// policy, ahead of the machine's other work: on a loaded machine this comes
// close to what an idle one would show.
bool gRealtime = false;

// ------------------------------------------------------------------ util ----

double nowMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

bool isFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void makeFolders(const std::string& path) {
    for (size_t i = 1; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '/') ::mkdir(path.substr(0, i).c_str(), 0755);
}

std::string absolute(const std::string& path) {
    char* r = ::realpath(path.c_str(), nullptr);
    if (!r) return path;
    std::string s(r);
    std::free(r);
    return s;
}

std::string ownFolder() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string exe(buf, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

std::string loadAverage() {
    std::string s = readFile("/proc/loadavg");
    std::istringstream in(s);
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

std::string resolutionName(const std::pair<int, int>& r) {
    return std::to_string(r.first) + "x" + std::to_string(r.second);
}

// ------------------------------------------------------------------ runs ----

// The clocks at one swap, in milliseconds.
struct SwapTime {
    double wall = 0.0;    // the machine's monotonic clock
    double cpu = 0.0;     // CPU time of the program, all threads
    double thread = 0.0;  // CPU time of its main thread
};

struct Run {
    bool ok = false;
    std::string dir;
    double startMs = 0.0;              // when the program was started
    std::map<long, SwapTime> swaps;    // by frame
    std::string errors;
};

// The build's init.props with the start screens off and the given size.
std::string initProps(const std::string& build, int width, int height) {
    std::map<std::string, std::string> values = {
        {"STARTUP", "OFF"}, {"RESX", std::to_string(width)}, {"RESY", std::to_string(height)}};
    std::istringstream in(readFile(build + "/init.props"));
    std::string line, out;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (!line.empty() && line[0] != '#' && eq != std::string::npos) {
            auto it = values.find(line.substr(0, eq));
            if (it != values.end()) {
                line = it->first + "=" + it->second;
                values.erase(it);
            }
        }
        out += line + "\n";
    }
    for (const auto& kv : values) out += kv.first + "=" + kv.second + "\n";
    return out;
}

// Starts `program` (with `arguments`) in `dir` under the environment
// `env`, waits for it and reads its swap times (a run without any fails
// when `swaps` is set).
Run runProgram(const std::string& program, const std::vector<std::string>& arguments, const std::string& dir,
               const std::map<std::string, std::string>& env, bool swaps = true) {
    Run run;
    run.dir = dir;
    const std::string timesPath = dir + "/swaptimes.txt";
    const std::string errPath = dir + "/stderr.txt";
    ::unlink(timesPath.c_str());
    run.startMs = nowMs();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(120);
        const int out = ::open((dir + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("GAME_TEST_SWAP_TIMES", timesPath.c_str(), 1);
        if (gRealtime) {
            sched_param priority;
            priority.sched_priority = 10;
            if (sched_setscheduler(0, SCHED_FIFO, &priority) != 0)
                std::fprintf(stderr, "gamebench: no real-time policy for this run\n");
        }
        for (const auto& kv : env) setenv(kv.first.c_str(), kv.second.c_str(), 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (pid < 0) return run;
    int status = 0;
    for (int waited = 0;; waited += 20) {
        if (waitpid(pid, &status, WNOHANG) == pid) break;
        if (waited >= kRunTimeoutSeconds * 1000) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            run.errors = "timed out";
            return run;
        }
        usleep(20 * 1000);
    }
    std::istringstream times(readFile(timesPath));
    long frame = 0;
    long long wall = 0, cpu = 0, thread = 0;
    while (times >> frame >> wall >> cpu >> thread) run.swaps[frame] = {wall / 1000.0, cpu / 1000.0, thread / 1000.0};
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && (!swaps || !run.swaps.empty());
    if (!run.ok) run.errors = "exit status " + std::to_string(status) + ": " + readFile(errPath).substr(0, 400);
    return run;
}

// A folder with links to the build's data and its own init.props.
std::string prepareGameFolder(const std::string& build, const std::string& dir, int width, int height) {
    makeFolders(dir);
    for (const char* folder : kDataFolders) {
        const std::string link = dir + "/" + folder;
        ::unlink(link.c_str());
        if (::symlink((build + "/" + folder).c_str(), link.c_str()) != 0)
            std::fprintf(stderr, "gamebench: cannot link '%s'\n", link.c_str());
    }
    writeFile(dir + "/init.props", initProps(build, width, height));
    return dir;
}

std::string screenshotName(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "shot_%05d.png", frame);
    return name;
}

std::string frameList(const std::vector<int>& frames) {
    std::string s;
    for (int f : frames) s += (s.empty() ? "" : ",") + std::to_string(f);
    return s;
}

Run runGame(const std::string& build, const std::string& program, const std::string& dir, int width, int height,
            const std::string& script, int frames, const std::vector<int>& shots) {
    prepareGameFolder(build, dir, width, height);
    std::map<std::string, std::string> env = {
        {"GAME_TEST_FRAME_MS", std::to_string(kFrameMs)},
        {"GAME_TEST_FRAMES", std::to_string(frames)},
        {"GAME_TEST_SCREENSHOT_DIR", dir},
    };
    if (!script.empty()) env["GAME_TEST_SCRIPT"] = script;
    if (!shots.empty()) env["GAME_TEST_SCREENSHOTS"] = frameList(shots);
    for (int f : shots) ::unlink((dir + "/" + screenshotName(f)).c_str());
    return runProgram(build + "/" + program, {}, dir, env);
}

// ----------------------------------------------------------- statistics ----

struct Stats {
    int frames = 0;
    double mean = 0.0;
    double median = 0.0;
};

Stats statsOf(std::vector<double> v) {
    Stats s;
    if (v.empty()) return s;
    s.frames = static_cast<int>(v.size());
    double sum = 0.0;
    for (double x : v) sum += x;
    s.mean = sum / v.size();
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    s.median = n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
    return s;
}

// The frames in (first, last] of a run, leaving out the frames a screenshot
// was taken in: milliseconds of wall time, of the program's CPU time and of
// its main thread's.
struct FrameTimes {
    std::vector<double> wall, cpu, thread;

    void add(const FrameTimes& o) {
        wall.insert(wall.end(), o.wall.begin(), o.wall.end());
        cpu.insert(cpu.end(), o.cpu.begin(), o.cpu.end());
        thread.insert(thread.end(), o.thread.begin(), o.thread.end());
    }
};

FrameTimes frameTimes(const Run& run, int first, int last, const std::vector<int>& skip) {
    FrameTimes t;
    for (int f = first + 1; f <= last; ++f) {
        if (std::find(skip.begin(), skip.end(), f) != skip.end()) continue;
        auto a = run.swaps.find(f - 1), b = run.swaps.find(f);
        if (a == run.swaps.end() || b == run.swaps.end()) continue;
        t.wall.push_back(b->second.wall - a->second.wall);
        t.cpu.push_back(b->second.cpu - a->second.cpu);
        t.thread.push_back(b->second.thread - a->second.thread);
    }
    return t;
}

// The first frame of the main menu: it fades in from black, and every
// frame of the loading screen before it is bright.
int findMenuFrame(const std::string& build, const std::string& dir) {
    std::vector<int> shots;
    for (int f = kMenuSearchFirst; f <= kMenuSearchLast; ++f) shots.push_back(f);
    const Run run = runGame(build, "game", dir, 640, 480, "", kMenuSearchLast + 1, shots);
    if (!run.ok) {
        std::fprintf(stderr, "gamebench: the start-up run of '%s' failed: %s\n", build.c_str(), run.errors.c_str());
        return -1;
    }
    for (int f : shots) {
        const BenchPicture p = readBenchPicture(dir + "/" + screenshotName(f));
        if (!p.valid()) continue;
        double sum = 0.0;
        for (unsigned char c : p.rgb) sum += c;
        if (sum / p.rgb.size() < 8.0) return f;
    }
    return -1;
}

// ----------------------------------------------------------- the report ----

struct Measurement {
    FrameTimes frames;            // every run together
    std::vector<double> startup;  // ms to the main menu's first frame
    std::vector<double> load;     // ms from the first frame to the menu
    int failures = 0;
};

// Milliseconds per frame of each coast view, every run together.
struct CoastTimes {
    std::map<int, std::vector<double>> wall, cpu;
};

struct Build {
    std::string label;
    std::string path;
    int menuFrame = -1;
    std::map<std::string, Measurement> results;  // key: program + " " + resolution
    std::map<std::string, CoastTimes> coast;     // key: resolution
};

// The coast views of one build at one size, when the build has them.
void runCoastViews(Build& b, const std::string& dir, int width, int height) {
    const std::string program = b.path + "/bench/coastviews";
    if (!isFile(program)) return;
    prepareGameFolder(b.path, dir, width, height);
    const Run run = runProgram(program, {std::to_string(width), std::to_string(height), std::to_string(kCoastFrames)},
                               dir, {}, false);
    if (!run.ok) {
        std::fprintf(stderr, "gamebench: %s coastviews failed: %s\n", b.label.c_str(), run.errors.c_str());
        return;
    }
    std::istringstream out(readFile(dir + "/stdout.txt"));
    std::string word;
    int view = 0;
    double wall = 0.0, cpu = 0.0;
    CoastTimes& times = b.coast[std::to_string(width) + "x" + std::to_string(height)];
    double sumWall = 0.0, sumCpu = 0.0;
    while (out >> word >> view >> wall >> cpu) {
        times.wall[view].push_back(wall);
        times.cpu[view].push_back(cpu);
        sumWall += wall;
        sumCpu += cpu;
    }
    std::printf("  %-9s %-20s mean %6.2f ms over the views, CPU %6.2f ms\n", b.label.c_str(),
                ("coastviews " + std::to_string(width) + "x" + std::to_string(height)).c_str(), sumWall / kCoastViews,
                sumCpu / kCoastViews);
    std::fflush(stdout);
}

void printRunLine(const std::string& label, const std::string& what, const FrameTimes& t) {
    const Stats s = statsOf(t.wall), cpu = statsOf(t.cpu), thread = statsOf(t.thread);
    std::printf("  %-9s %-20s mean %6.2f ms  median %6.2f ms  %6.1f fps  CPU %6.2f ms, main thread %6.2f ms\n",
                label.c_str(), what.c_str(), s.mean, s.median, s.mean > 0 ? 1000.0 / s.mean : 0.0, cpu.mean,
                thread.mean);
    std::fflush(stdout);
}

void addGameRun(Build& b, const std::string& key, const Run& run) {
    Measurement& m = b.results[key];
    if (!run.ok) {
        ++m.failures;
        std::fprintf(stderr, "gamebench: %s %s failed: %s\n", b.label.c_str(), key.c_str(), run.errors.c_str());
        return;
    }
    const FrameTimes t = frameTimes(run, kMeasureFirst, kLastFrame, kShots);
    m.frames.add(t);
    auto menu = run.swaps.find(b.menuFrame), before = run.swaps.find(b.menuFrame - 1), first = run.swaps.find(1);
    if (b.menuFrame > 1 && menu != run.swaps.end() && before != run.swaps.end() && first != run.swaps.end()) {
        m.startup.push_back(menu->second.wall - run.startMs);
        m.load.push_back(before->second.wall - first->second.wall);
    }
    printRunLine(b.label, key, t);
}

void printLine(const char* what, const FrameTimes& t, double reference) {
    const Stats s = statsOf(t.wall), cpu = statsOf(t.cpu), thread = statsOf(t.thread);
    std::printf("    %-17s mean %6.2f ms  median %6.2f ms  %6.1f fps", what, s.mean, s.median,
                s.mean > 0 ? 1000.0 / s.mean : 0.0);
    std::printf("  %5.2f x ref", reference > 0 ? s.mean / reference : 1.0);
    std::printf("  CPU %6.2f ms, main thread %6.2f ms  (%d frames)\n", cpu.mean, thread.mean, s.frames);
}

// Compares one picture of both builds; prints a line, writes a map of the
// differences when they go beyond the tolerance. False then.
bool comparePicture(const Options& o, const std::string& name, const std::string& pa, const std::string& pb,
                    const std::string& mapName) {
    BenchPicture map;
    const PictureDifference d = comparePictures(readBenchPicture(pa), readBenchPicture(pb), o.tolerance, &map);
    if (!d.comparable) {
        std::printf("  %-28s cannot be compared\n", name.c_str());
        return false;
    }
    const bool matches = d.matches(o.outliers);
    std::printf("  %-28s %8ld differ (%6.3f %%), %6ld beyond, largest %3d, mean %.4f%s\n", name.c_str(), d.differing,
                100.0 * d.differing / d.pixels, d.overTolerance, d.largest, d.mean, matches ? "" : "  MISMATCH");
    if (d.overTolerance > 0) writeBenchPicture(o.out + "/diff-" + mapName, map);
    return matches;
}

void comparePictureSets(const Options& o, const Build& a, const Build& b) {
    std::printf("\nScreenshots, %s against %s (tolerance %d of 255 a channel, beyond it at most %.4f %% of the "
                "pixels):\n",
                a.label.c_str(), b.label.c_str(), o.tolerance, 100.0 * o.outliers);
    int mismatches = 0;
    for (const auto& r : o.resolutions) {
        const std::string res = resolutionName(r);
        for (int f : kShots) {
            const std::string shot = screenshotName(f);
            if (!comparePicture(o, res + "/" + shot, o.out + "/" + a.label + "/game-" + res + "-1/" + shot,
                                o.out + "/" + b.label + "/game-" + res + "-1/" + shot, res + "-" + shot))
                ++mismatches;
        }
    }
    std::printf("  %s\n", mismatches ? "some pictures differ beyond the tolerance (maps in diff-*.png)"
                                     : "all pictures match within the tolerance");
    if (a.coast.empty() || b.coast.empty()) return;
    std::printf("\nCoast views (the island mirrored in the water), %s against %s:\n", a.label.c_str(),
                b.label.c_str());
    mismatches = 0;
    for (const auto& r : o.resolutions) {
        const std::string res = resolutionName(r);
        for (int v = 1; v <= kCoastViews; ++v) {
            const std::string shot = "coast_" + std::to_string(v) + ".png";
            if (!comparePicture(o, res + "/" + shot, o.out + "/" + a.label + "/coast-" + res + "-1/" + shot,
                                o.out + "/" + b.label + "/coast-" + res + "-1/" + shot, res + "-" + shot))
                ++mismatches;
        }
    }
    std::printf("  %s\n", mismatches ? "some pictures differ beyond the tolerance (maps in diff-*.png)"
                                     : "all pictures match within the tolerance");
}

void report(const Options& o, const std::vector<Build>& builds, const std::map<std::string, Measurement>& references) {
    std::printf("\nSummary (ms per in-game frame of frames %d-%d, screenshot frames left out):\n", kMeasureFirst + 1,
                kLastFrame);
    for (const auto& r : o.resolutions) {
        const std::string res = resolutionName(r);
        auto ref = references.find(res);
        const FrameTimes rt = ref != references.end() ? ref->second.frames : FrameTimes();
        const double reference = statsOf(rt.wall).mean;
        std::printf("  %s\n", res.c_str());
        printLine("reference frame", rt, reference);
        for (const Build& b : builds) {
            for (const char* program : {"game", "game_nv"}) {
                auto it = b.results.find(std::string(program) + " " + res);
                if (it == b.results.end()) continue;
                printLine((b.label + " " + program).c_str(), it->second.frames, reference);
            }
        }
    }
    std::printf("\nCoast views (ms per frame, each view timed %d frames a run):\n", kCoastFrames);
    for (const auto& r : o.resolutions) {
        const std::string res = resolutionName(r);
        for (const Build& b : builds) {
            auto it = b.coast.find(res);
            if (it == b.coast.end()) continue;
            std::printf("  %-9s %-9s", b.label.c_str(), res.c_str());
            std::vector<double> all, allCpu;
            for (const auto& v : it->second.wall) {
                const Stats s = statsOf(v.second);
                std::printf("  view %d %6.2f", v.first, s.mean);
                all.insert(all.end(), v.second.begin(), v.second.end());
            }
            for (const auto& v : it->second.cpu) allCpu.insert(allCpu.end(), v.second.begin(), v.second.end());
            std::printf("  | mean %6.2f ms, CPU %6.2f ms\n", statsOf(all).mean, statsOf(allCpu).mean);
        }
    }
    std::printf("\nStart-up to the main menu and level load (every game run):\n");
    for (const Build& b : builds) {
        std::vector<double> startup, load;
        for (const auto& kv : b.results) {
            startup.insert(startup.end(), kv.second.startup.begin(), kv.second.startup.end());
            load.insert(load.end(), kv.second.load.begin(), kv.second.load.end());
        }
        const Stats s = statsOf(startup), l = statsOf(load);
        std::printf("  %-9s start-up mean %7.0f ms median %7.0f ms; load mean %7.0f ms median %7.0f ms (%d runs, "
                    "menu from frame %d)\n",
                    b.label.c_str(), s.mean, s.median, l.mean, l.median, s.frames, b.menuFrame);
    }
}

bool parseResolutions(const std::string& text, std::vector<std::pair<int, int>>& out) {
    out.clear();
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        int w = 0, h = 0;
        if (std::sscanf(item.c_str(), "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0) return false;
        out.push_back({w, h});
    }
    return !out.empty();
}

const char kUsage[] =
    "usage: gamebench [--build DIR] [--baseline DIR] [--runs N] [--resolutions 640x480,...]\n"
    "                 [--out DIR] [--tolerance N] [--outliers P] [--no-nv] [--realtime]\n"
    "  --build DIR      the build folder with game, game_nv and the data (default: the one this program is in)\n"
    "  --baseline DIR   a second build, measured in the same run and compared picture by picture\n"
    "  --runs N         flights per program, build and resolution (default 1)\n"
    "  --out DIR        where the runs' folders, screenshots and difference maps go (default bench-out)\n"
    "  --tolerance N    the largest channel difference two screenshots may show (default 2)\n"
    "  --outliers P     the percentage of pixels that may go beyond it (default 0.01)\n"
    "  --no-nv          leave game_nv out\n"
    "  --realtime       run the programs under the real-time policy (root only): close to an idle machine\n";

}  // namespace

int main(int argc, char** argv) {
    Options o;
    const std::string here = ownFolder();
    o.build = here.substr(0, here.rfind('/'));
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--build" && more) o.build = argv[++i];
        else if (a == "--baseline" && more) o.baseline = argv[++i];
        else if (a == "--runs" && more) o.runs = std::atoi(argv[++i]);
        else if (a == "--out" && more) o.out = argv[++i];
        else if (a == "--tolerance" && more) o.tolerance = std::atoi(argv[++i]);
        else if (a == "--outliers" && more) o.outliers = std::atof(argv[++i]) / 100.0;
        else if (a == "--no-nv") o.nv = false;
        else if (a == "--realtime") o.realtime = true;
        else if (a == "--resolutions" && more) {
            if (!parseResolutions(argv[++i], o.resolutions)) {
                std::fputs(kUsage, stderr);
                return 2;
            }
        } else {
            std::fputs(kUsage, stderr);
            return a == "--help" ? 0 : 2;
        }
    }
    if (o.runs < 1) o.runs = 1;
    gRealtime = o.realtime;
    makeFolders(o.out);
    o.out = absolute(o.out);
    const std::string script = absolute(BENCH_SCRIPT);
    const std::string refframe = here + "/refframe";
    std::vector<Build> builds;
    builds.push_back({"build", absolute(o.build), -1, {}, {}});
    if (!o.baseline.empty()) builds.push_back({"baseline", absolute(o.baseline), -1, {}, {}});
    for (const Build& b : builds) {
        if (!isFile(b.path + "/game") || !isFile(b.path + "/init.props")) {
            std::fprintf(stderr, "gamebench: '%s' holds no built game with its data\n", b.path.c_str());
            return 2;
        }
    }
    if (!isFile(script) || !isFile(refframe)) {
        std::fprintf(stderr, "gamebench: '%s' or '%s' is missing\n", script.c_str(), refframe.c_str());
        return 2;
    }

    std::printf("gamebench: %d cores, load average %s at the start%s\n",
                static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN)), loadAverage().c_str(),
                o.realtime ? "; programs run under the real-time policy" : "");
    for (Build& b : builds) {
        b.menuFrame = findMenuFrame(b.path, o.out + "/" + b.label + "/menu");
        std::printf("  %-9s %s: main menu from frame %d\n", b.label.c_str(), b.path.c_str(), b.menuFrame);
    }

    std::map<std::string, Measurement> references;
    for (int k = 1; k <= o.runs; ++k) {
        std::printf("Round %d of %d (load average %s)\n", k, o.runs, loadAverage().c_str());
        for (const auto& r : o.resolutions) {
            const std::string res = resolutionName(r);
            // The reference frame.
            const std::string refDir = o.out + "/reference-" + res + "-" + std::to_string(k);
            makeFolders(refDir);
            const Run ref = runProgram(refframe, {std::to_string(r.first), std::to_string(r.second),
                                                  std::to_string(kReferenceFrames)},
                                       refDir, {});
            if (ref.ok) {
                const FrameTimes t = frameTimes(ref, 20, kReferenceFrames, {});
                references[res].frames.add(t);
                printRunLine("reference", "refframe " + res, t);
            } else {
                std::fprintf(stderr, "gamebench: refframe %s failed: %s\n", res.c_str(), ref.errors.c_str());
            }
            // The game of every build, in turn; the order alternates by round.
            std::vector<std::string> programs = {"game"};
            if (o.nv && r == std::make_pair(1024, 768)) programs.push_back("game_nv");
            for (const std::string& program : programs) {
                for (size_t j = 0; j < builds.size(); ++j) {
                    Build& b = builds[k % 2 ? j : builds.size() - 1 - j];
                    const std::string dir =
                        o.out + "/" + b.label + "/" + program + "-" + res + "-" + std::to_string(k);
                    const Run run = runGame(b.path, program, dir, r.first, r.second, script, kLastFrame + 1, kShots);
                    addGameRun(b, program + " " + res, run);
                }
            }
            for (size_t j = 0; j < builds.size(); ++j) {
                Build& b = builds[k % 2 ? j : builds.size() - 1 - j];
                runCoastViews(b, o.out + "/" + b.label + "/coast-" + res + "-" + std::to_string(k), r.first, r.second);
            }
        }
    }
    std::printf("Load average %s at the end\n", loadAverage().c_str());
    report(o, builds, references);
    if (builds.size() > 1) comparePictureSets(o, builds[0], builds[1]);
    return 0;
}
