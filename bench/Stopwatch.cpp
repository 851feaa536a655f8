// Runs one command and appends its wall time, CPU time and peak memory to a table, so every
// contender is measured the same way: from just before its start to its exit, start-up included.
// Usage: sfxstopwatch TABLE LABEL ROUND COMMAND [ARGUMENTS...]
// Appends "LABEL ROUND wallSeconds userSeconds systemSeconds peakKiB startSeconds endSeconds";
// start and end are on CLOCK_MONOTONIC_RAW, the clock of Wine's trace timestamps. Exits as the command did.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <cstdio>
#include <ctime>

extern char** environ;

static double Now() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

static double Seconds(const timeval& time) { return (double)time.tv_sec + (double)time.tv_usec * 1e-6; }

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s TABLE LABEL ROUND COMMAND [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    double start = Now();
    pid_t child;
    // posix_spawn shares this small process's memory until the exec, so the child's peak is its own.
    if (posix_spawnp(&child, argv[4], nullptr, nullptr, argv + 4, environ) != 0) {
        std::perror(argv[4]);
        return 127;
    }
    int status = 0;
    rusage usage;
    wait4(child, &status, 0, &usage);
    double end = Now();

    std::FILE* table = std::fopen(argv[1], "a");
    if (!table) return 2;
    std::fprintf(table, "%s %s %.6f %.6f %.6f %ld %.6f %.6f\n", argv[2], argv[3], end - start, Seconds(usage.ru_utime),
                 Seconds(usage.ru_stime), usage.ru_maxrss, start, end);
    std::fclose(table);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
