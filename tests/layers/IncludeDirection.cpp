// Include-direction check: every product source may include only its own folder and lower layers.
//
// Usage: include_direction <repository root>. Reads every .h/.cpp/.ui file under the product
// folders, finds its includes (#include "..." and <...> lines, and the <header> of promoted widgets
// in window definitions) and prints file:line for each one that runs upward or sideways. Exits 1
// when it found any, or when it found no product sources at all (a wrong root must not pass).
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TLayer {
    std::string Folder;
    int Rank; // a folder may include folders of a lower rank; equal ranks are siblings
};

// Lowest first.
const std::vector<TLayer> kLayers = {
    {"platform/rtl", 0},
    {"platform/ui", 1},
    {"platform/registry", 1},
    {"platform/ddraw", 2},
    {"platform/dsound", 2},
    {"display", 3},
    {"sound", 3},
    {"graphics", 4},
    {"controls", 5},
    {"shell", 6},
    {"game", 7},
    {"app", 8},
};

// Folders outside the product: they may include anything, and nothing in the product includes them.
const std::vector<std::string> kFreeFolders = {"tools", "tests", "bench", "fuzz"};

bool UnderFolder(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

// The layer a repository-relative path lies in (the longest matching folder).
const TLayer* LayerOf(const std::string& path) {
    const TLayer* best = nullptr;
    for (const TLayer& layer : kLayers)
        if (UnderFolder(path, layer.Folder) && (!best || layer.Folder.size() > best->Folder.size()))
            best = &layer;
    return best;
}

std::string FirstComponent(const std::string& path) {
    return path.substr(0, path.find('/'));
}

struct TInclude {
    int Line;
    std::string Text; // as written in the file, for the message
    std::string Path; // the included path
};

std::vector<TInclude> IncludesOf(const fs::path& file) {
    static const std::regex directive(R"(^\s*#\s*include\s*(["<])([^">]+)[">])");
    static const std::regex promoted(R"(<header[^>]*>\s*([^<\s]+)\s*</header>)");
    std::vector<TInclude> found;
    std::ifstream in(file);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::smatch m;
        if (std::regex_search(line, m, directive)) {
            found.push_back({number, m[0].str(), m[2].str()});
        } else if (file.extension() == ".ui") {
            // A window definition may list several promoted widgets on one line.
            for (std::sregex_iterator it(line.begin(), line.end(), promoted), end; it != end; ++it)
                found.push_back({number, (*it)[0].str(), (*it)[1].str()});
        }
    }
    return found;
}

// Why an include of `included` from a file of `from` breaks the order, or nothing when it is fine.
// `fileDir` is the including file's folder, relative to the root, for paths written with "..".
std::optional<std::string> Violation(const TLayer& from, const std::string& fileDir,
                                     std::string included, const fs::path& root) {
    if (included.find('/') == std::string::npos) return std::nullopt; // own folder or generated
    if (included.rfind("./", 0) == 0 || included.rfind("../", 0) == 0 ||
        included.find("/../") != std::string::npos) {
        fs::path resolved = (fs::path(fileDir) / included).lexically_normal();
        included = resolved.generic_string();
    }
    const std::string top = FirstComponent(included);
    if (std::find(kFreeFolders.begin(), kFreeFolders.end(), top) != kFreeFolders.end())
        return from.Folder + " may not include " + top + "/ (outside the product)";
    const TLayer* to = LayerOf(included);
    if (!to) {
        // Paths into the repository that name no layer ("platform/X.h") are refused; anything
        // else (a system or Qt header written with quotes) is not ours to judge.
        if (top == "platform" || (fs::is_directory(root / top) && top != "assets"))
            return included + " is in no layer";
        return std::nullopt;
    }
    if (to->Folder == from.Folder || to->Rank < from.Rank) return std::nullopt;
    if (to->Rank == from.Rank)
        return "runs sideways: " + from.Folder + " and " + to->Folder + " are siblings";
    return "runs upward: " + from.Folder + " may not include " + to->Folder + ", a higher layer";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: include_direction <repository root>\n";
        return 2;
    }
    const fs::path root = fs::path(argv[1]);
    int files = 0;
    int violations = 0;
    for (const TLayer& layer : kLayers) {
        const fs::path folder = root / layer.Folder;
        if (!fs::is_directory(folder)) continue; // a layer not written yet
        std::vector<fs::path> sources;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            const std::string ext = entry.path().extension().string();
            if (entry.is_regular_file() && (ext == ".h" || ext == ".hpp" || ext == ".cpp" ||
                                            ext == ".cc" || ext == ".c" || ext == ".ui"))
                sources.push_back(entry.path());
        }
        std::sort(sources.begin(), sources.end());
        for (const fs::path& source : sources) {
            const std::string rel = source.lexically_relative(root).generic_string();
            // A file in a nested layer folder (platform/ui under platform) belongs to that layer.
            const TLayer* own = LayerOf(rel);
            if (own != &layer) continue;
            ++files;
            const std::string dir = fs::path(rel).parent_path().generic_string();
            for (const TInclude& include : IncludesOf(source)) {
                if (auto why = Violation(layer, dir, include.Path, root)) {
                    std::cout << rel << ":" << include.Line << ": " << include.Text << " " << *why
                              << "\n";
                    ++violations;
                }
            }
        }
    }
    if (files == 0) {
        std::cout << "no product sources found under " << root.string() << "\n";
        return 1;
    }
    std::cout << files << " files checked, " << violations << " includes against the layer order\n";
    return violations == 0 ? 0 : 1;
}
