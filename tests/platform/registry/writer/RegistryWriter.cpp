// The writer process of the settings-store process tests: writes values into the store found
// through the inherited XDG_CONFIG_HOME.
//   registry_writer once NAME VALUE   writes NAME=VALUE
//   registry_writer count NAME VALUE  writes NAME=VALUE-i and VALUE-only=i for i = 1..40
//   registry_writer loop NAME         writes NAME as 200000 copies of a letter, a new letter each
//                                     time, until killed
// Exit status 0 when every write succeeded, 1 when one failed, 2 on bad arguments.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/platform/registry/RegistryValues.h"

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool known =
        ((mode == "once" || mode == "count") && argc == 4) || (mode == "loop" && argc == 3);
    if (!known) {
        std::fprintf(stderr, "usage: %s once|count NAME VALUE | loop NAME\n", argv[0]);
        return 2;
    }
    if (!std::getenv("XDG_CONFIG_HOME")) {
        std::fprintf(stderr,
                     "%s: XDG_CONFIG_HOME is not set; refusing to write a real settings store\n",
                     argv[0]);
        return 2;
    }
    const std::string name = argv[2];
    if (mode == "once") return WriteValue(name, argv[3]) ? 0 : 1;
    if (mode == "count") {
        const std::string value = argv[3];
        for (int i = 1; i <= 40; ++i) {
            if (!WriteValue(name, value + "-" + std::to_string(i))) return 1;
            if (!WriteValue(value + "-only", std::to_string(i))) return 1;
        }
        return 0;
    }
    for (int i = 0;; ++i)
        WriteValue(name, std::string(200000, char('a' + i % 26)));
}
