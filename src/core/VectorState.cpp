#include "core/VectorState.h"

#include <cstdlib>
#include <string_view>
#include <unistd.h>

std::optional<std::string> tunablesForRestart(const char *current, bool hasAvx512)
{
    constexpr std::string_view kName = "glibc.cpu.hwcaps";
    const std::string_view was = current ? current : "";
    if (!hasAvx512 || was.find(kName) != std::string_view::npos)
        return std::nullopt;
    std::string tunables(was);
    if (!tunables.empty())
        tunables += ':';
    tunables += kName;
    tunables += "=-AVX512F,-AVX512VL";
    return tunables;
}

void restartWithAvx2MemoryRoutines(char **argv)
{
#if defined(__linux__) && defined(__x86_64__) && defined(__GLIBC__)
    const char *current = std::getenv("GLIBC_TUNABLES");
    const std::optional<std::string> restartWith = tunablesForRestart(current, __builtin_cpu_supports("avx512f"));
    if (!restartWith)
        return;
    const std::optional<std::string> was = current ? std::optional<std::string>(current) : std::nullopt;
    if (setenv("GLIBC_TUNABLES", restartWith->c_str(), 1) != 0)
        return;
    execv("/proc/self/exe", argv);
    // Still here: the restart failed. Carry on as started, and hand the
    // programs this one starts the tunables it was given.
    if (was)
        setenv("GLIBC_TUNABLES", was->c_str(), 1);
    else
        unsetenv("GLIBC_TUNABLES");
#else
    (void)argv;
#endif
}
