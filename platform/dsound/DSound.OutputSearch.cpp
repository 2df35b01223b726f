// Which outputs the audio library searches: a PulseAudio client is not loaded where no server can
// answer it.

// Plain C file functions on purpose: the stream and file-system libraries would be pulled into
// memory by this one look at a few small files.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/dsound/DSound.Internal.h"

namespace dsound {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsSocket(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// Whether an INI-style file sets key (in any section; lines starting with # or ; are comments).
bool FileSetsKey(const std::string& path, const char* key) {
    FILE* in = std::fopen(path.c_str(), "re");
    if (!in) return false;
    const size_t length = std::strlen(key);
    char line[1024];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, in)) {
        const char* p = line + std::strspn(line, " \t");
        if (*p == '#' || *p == ';' || std::strncmp(p, key, length) != 0) continue;
        p += length;
        p += std::strspn(p, " \t");
        found = *p == '=';
    }
    std::fclose(in);
    return found;
}

std::string Home() {
    return Env("HOME");
}

std::string ConfigHome() {
    const std::string set = Env("XDG_CONFIG_HOME");
    return set.empty() ? Home() + "/.config" : set;
}

// Every configuration file the audio library reads, in its own order.
std::vector<std::string> LibraryConfigFiles() {
    std::vector<std::string> files{"/etc/openal/alsoft.conf"};
    std::string dirs = Env("XDG_CONFIG_DIRS");
    if (dirs.empty()) dirs = "/etc/xdg";
    for (size_t from = 0; from <= dirs.size();) {
        size_t to = dirs.find(':', from);
        if (to == std::string::npos) to = dirs.size();
        if (to > from) files.push_back(dirs.substr(from, to - from) + "/alsoft.conf");
        from = to + 1;
    }
    files.push_back(Home() + "/.alsoftrc");
    files.push_back(ConfigHome() + "/alsoft.conf");
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string exe(self, size_t(n));
        files.push_back(exe.substr(0, exe.rfind('/') + 1) + "alsoft.conf");
    }
    files.push_back(Env("ALSOFT_CONF"));
    return files;
}

// Whether a PulseAudio client could reach a server: one named in the environment or a client
// configuration, a socket where clients look for a local or system-wide one, or a server the
// client may start itself.
bool PulseServerReachable() {
    if (!Env("PULSE_SERVER").empty()) return true;
    std::vector<std::string> confs{Env("PULSE_CLIENTCONFIG"), "/etc/pulse/client.conf",
                                   ConfigHome() + "/pulse/client.conf",
                                   Home() + "/.pulse/client.conf"};
    if (DIR* dir = opendir("/etc/pulse/client.conf.d")) {
        while (const dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                confs.push_back(std::string("/etc/pulse/client.conf.d/") + entry->d_name);
        closedir(dir);
    }
    for (const std::string& conf : confs)
        if (IsFile(conf) && FileSetsKey(conf, "default-server")) return true;
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    for (const std::string& socket :
         {Env("PULSE_RUNTIME_PATH").empty() ? std::string() : Env("PULSE_RUNTIME_PATH") + "/native",
          runtime.empty() ? std::string() : runtime + "/pulse/native",
          "/run/user/" + std::to_string(getuid()) + "/pulse/native",
          std::string("/run/pulse/native"), std::string("/var/run/pulse/native")})
        if (IsSocket(socket)) return true;
    for (const char* daemon : {"/usr/bin/pulseaudio", "/usr/local/bin/pulseaudio"})
        if (access(daemon, X_OK) == 0) return true;
    return false;
}

} // namespace

void LeaveOutUnreachableOutputs() {
    static const bool done = [] {
        // The user's own choice of outputs, in the environment or a configuration file, stands.
        if (std::getenv("ALSOFT_DRIVERS")) return true;
        for (const std::string& file : LibraryConfigFiles())
            if (IsFile(file) && FileSetsKey(file, "drivers")) return true;
        // The library would load the PulseAudio client and its codecs (over a megabyte) only to
        // find no server, then keep them for the whole run.
        if (!PulseServerReachable()) setenv("ALSOFT_DRIVERS", "-pulse", 0);
        return true;
    }();
    (void)done;
}

} // namespace dsound
