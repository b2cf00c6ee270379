// Runs a command and reports its wall time and peak memory (the largest resident set),
// for the end-to-end benchmarks in bench/run.sh.
//
//   quillon_bench_measure [--stderr FILE] COMMAND [ARGS...]
//
// With --stderr the command's standard error goes to FILE, so the report stays apart from it.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    int first = 1;
    const char* errorFile = nullptr;
    if (argc > 2 && std::strcmp(argv[1], "--stderr") == 0) {
        errorFile = argv[2];
        first = 3;
    }
    if (argc <= first) {
        std::fprintf(stderr, "usage: %s [--stderr FILE] COMMAND [ARGS...]\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (errorFile) {
            const int fd = open(errorFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || dup2(fd, STDERR_FILENO) < 0) {
                std::perror(errorFile);
                _exit(127);
            }
            close(fd);
        }
        execvp(argv[first], argv + first);
        std::perror("exec");
        _exit(127);
    }
    int status = 0;
    rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) < 0) {
        std::perror("wait");
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "measured: %.2f s wall, peak memory %.0f MB, exit %d\n", seconds,
        double(usage.ru_maxrss) / 1024.0, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
