#include "GameRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "TestPaths.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string makeRunDir() {
    std::string base = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    std::string pattern = base + "/gamerun-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const char* made = mkdtemp(buf.data());
    return made ? std::string(made) : std::string();
}

}  // namespace

std::string GameRun::shot(int frame) const {
    char name[32];
    std::snprintf(name, sizeof name, "/shot_%05d.png", frame);
    return dir + name;
}

std::string defaultInitProps(const std::map<std::string, std::string>& overrides) {
    std::map<std::string, std::string> values = {{"STARTUP", "OFF"}};
    for (const auto& kv : overrides) values[kv.first] = kv.second;
    std::istringstream in(readFile(binaryDir() + "/init.props"));
    std::string line, out;
    std::map<std::string, bool> done;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (!line.empty() && line[0] != '#' && eq != std::string::npos) {
            const std::string key = line.substr(0, eq);
            auto it = values.find(key);
            if (it != values.end()) {
                line = key + "=" + it->second;
                done[key] = true;
            }
        }
        out += line + "\n";
    }
    for (const auto& kv : values)
        if (!done[kv.first]) out += kv.first + "=" + kv.second + "\n";
    return out;
}

GameRun runGame(const GameOptions& options) {
    GameRun run;
    run.dir = makeRunDir();
    if (run.dir.empty()) return run;
    for (const char* folder : {"tex", "mods", "programs", "terrain", "Levels", "itemdata", "sound"}) {
        bool omitted = false;
        for (const std::string& o : options.omitFolders) omitted = omitted || o == folder;
        if (omitted) continue;
        const std::string target = binaryDir() + "/" + folder;
        struct stat st;
        if (::stat(target.c_str(), &st) == 0) (void)!::symlink(target.c_str(), (run.dir + "/" + folder).c_str());
    }
    for (const std::string& folder : options.emptyFolders) ::mkdir((run.dir + "/" + folder).c_str(), 0755);
    if (options.writeInitProps)
        writeFile(run.dir + "/init.props", options.initProps.empty() ? defaultInitProps() : options.initProps);
    std::string script = options.script;
    if (options.enterGame) script = std::to_string(kMainMenuFrame) + " key RETURN\n" + script;
    std::string scriptPath;
    if (!script.empty()) {
        scriptPath = run.dir + "/input.script";
        writeFile(scriptPath, script);
    }
    std::string shots;
    for (int f : options.screenshots) shots += (shots.empty() ? "" : ",") + std::to_string(f);

    const std::string outPath = run.dir + "/stdout.txt", errPath = run.dir + "/stderr.txt";
    const std::string program = binaryDir() + "/" + options.program;
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(run.dir.c_str()) != 0) _exit(120);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        if (!scriptPath.empty()) setenv("GAME_TEST_SCRIPT", scriptPath.c_str(), 1);
        if (options.frameLimit > 0) setenv("GAME_TEST_FRAMES", std::to_string(options.frameLimit).c_str(), 1);
        if (options.frameMs > 0) setenv("GAME_TEST_FRAME_MS", std::to_string(options.frameMs).c_str(), 1);
        if (!shots.empty()) {
            setenv("GAME_TEST_SCREENSHOTS", shots.c_str(), 1);
            setenv("GAME_TEST_SCREENSHOT_DIR", run.dir.c_str(), 1);
        }
        for (const auto& kv : options.env) setenv(kv.first.c_str(), kv.second.c_str(), 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) return run;
    int status = 0;
    for (int waited = 0;; waited += 50) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) break;
        if (waited >= options.timeoutSeconds * 1000) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            run.timedOut = true;
            break;
        }
        usleep(50 * 1000);
    }
    run.exitCode = (!run.timedOut && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    run.output = readFile(outPath);
    run.errors = readFile(errPath);
    run.log = readFile(run.dir + "/Log.txt");
    return run;
}

