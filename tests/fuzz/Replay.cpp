// Replays saved inputs through a fuzz target without libFuzzer: every regular file in the
// folders given, except notes (*.txt, *.md). The sanitizers turn any fault into a failed run.
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static bool EndsWith(const std::string& text, const char* tail) {
    size_t n = strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

static std::vector<std::string> Inputs(const std::string& folder) {
    std::vector<std::string> paths;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return paths;
    while (dirent* entry = readdir(dir)) {
        std::string path = folder + "/" + entry->d_name;
        struct stat info;
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (EndsWith(path, ".txt") || EndsWith(path, ".md")) continue;
        paths.push_back(path);
    }
    closedir(dir);
    std::sort(paths.begin(), paths.end());
    return paths;
}

int main(int argc, char** argv) {
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const std::string& path : Inputs(argv[i])) {
            std::ifstream in(path, std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            printf("replay %s (%zu bytes)\n", path.c_str(), bytes.size());
            fflush(stdout);
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    printf("replayed %d inputs\n", replayed);
    // No input at all means the folders were wrong, which must not pass for a clean replay.
    return replayed > 0 ? 0 : 1;
}
