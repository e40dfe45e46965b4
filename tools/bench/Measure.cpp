// Runs a command and prints its CPU seconds (user + system) and peak resident kilobytes, as
// the kernel counted them. A small process of its own, so that the peak is the command's and
// not that of a large parent it was forked from (Linux keeps the parent's peak across exec).
// Usage: festmark_bench_measure RESULT_FILE COMMAND [ARGUMENTS...]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return 2;
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::FILE *result = std::fopen(argv[1], "w");
    if (result == nullptr)
        return 2;
    std::fprintf(result, "%.6f %ld\n", cpu, usage.ru_maxrss);
    std::fclose(result);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
