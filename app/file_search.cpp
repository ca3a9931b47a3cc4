#include "app/file_search.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>

namespace kelvaro {

std::vector<std::string> findFiles(const char* pattern) {
    std::vector<std::string> names;
    DIR* directory = opendir(".");
    if (directory == nullptr) return names;
    while (const dirent* entry = readdir(directory)) {
        const char* name = entry->d_name;
        if (name[0] == '.' || fnmatch(pattern, name, FNM_CASEFOLD) != 0) continue;
        struct stat status;
        if (stat(name, &status) == 0 && S_ISREG(status.st_mode)) names.emplace_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace kelvaro
