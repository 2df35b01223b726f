// The writer process of the settings-store process tests and of kill_writer.sh: writes values into
// the store found through the inherited XDG_CONFIG_HOME.
//   registry_writer once NAME VALUE   writes NAME=VALUE
//   registry_writer count NAME VALUE  writes NAME=VALUE-i and VALUE-only=i for i = 1..40
//   registry_writer loop NAME         writes NAME as 200000 copies of a letter, a new letter each
//                                     time, until killed
//   registry_writer churn             writes the game's five values over and over, each from its
//                                     own set of texts of different lengths, until killed
//   registry_writer check             exit 0 when each of the five values holds one of the texts
//                                     churn writes; else names the first wrong value on stderr
// Exit status 0 when every write succeeded, 1 when one failed, 2 on bad arguments.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/platform/registry/RegistryValues.h"

namespace {

struct TChurnValue {
    const char* Name;
    std::vector<std::string> Texts; // no text is a prefix of another: a cut one shows
};

const std::vector<TChurnValue>& ChurnValues() {
    static const std::vector<TChurnValue> values = {
        {"Sound", {"0", "1"}},
        {"Highlight", {"1", "0"}},
        {"Numbered", {"0", "1"}},
        {"TopPlayer", {"Bo", "Annabelle", "Zelda Quinn", "X"}},
        {"HighScore", {"1000", "7", "98765", "250"}},
    };
    return values;
}

int Churn() {
    for (size_t round = 1;; ++round)
        for (const TChurnValue& value : ChurnValues())
            WriteValue(value.Name, value.Texts[round % value.Texts.size()]);
}

int Check() {
    for (const TChurnValue& value : ChurnValues()) {
        const std::string text = ReadValue(value.Name);
        bool known = false;
        for (const std::string& allowed : value.Texts)
            known = known || text == allowed;
        if (!known) {
            std::fprintf(stderr, "%s holds \"%s\"\n", value.Name, text.c_str());
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool known = ((mode == "once" || mode == "count") && argc == 4) ||
                       (mode == "loop" && argc == 3) ||
                       ((mode == "churn" || mode == "check") && argc == 2);
    if (!known) {
        std::fprintf(stderr, "usage: %s once|count NAME VALUE | loop NAME | churn | check\n",
                     argv[0]);
        return 2;
    }
    if (!std::getenv("XDG_CONFIG_HOME")) {
        std::fprintf(stderr,
                     "%s: XDG_CONFIG_HOME is not set; refusing to write a real settings store\n",
                     argv[0]);
        return 2;
    }
    if (mode == "churn") return Churn();
    if (mode == "check") return Check();
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
