// Wrapper base TDirectX and the process-wide cache of run-time loaded platform libraries.
#include "platform/ui/DirectX.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/rtl/DXConsts.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Modules.h"

void TDirectX::SetLastResult(std::int32_t value) {
    FLastResult = value;
    if (value != 0) CheckResult();
}

void* LoadPlatformFunction(const std::string& fileName, const std::string& entryName) {
    static std::map<std::string, void*> libraries;
    std::string key = fileName;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    auto it = libraries.find(key);
    if (it == libraries.end()) {
        std::string soName = key;
        if (soName.size() > 4 && soName.compare(soName.size() - 4, 4, ".dll") == 0)
            soName.replace(soName.size() - 4, 4, ".so");
        void* module = LoadModule(soName);
        if (!module) throw Exception(Format(SDLLNotLoaded, fileName.c_str()));
        it = libraries.emplace(key, module).first;
    }
    void* entry = ModuleEntry(it->second, entryName);
    if (!entry) throw Exception(Format(SDLLNotLoaded, fileName.c_str()));
    return entry;
}
