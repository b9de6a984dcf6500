#include "core/VectorState.h"

#include <cstdlib>
#include <unistd.h>

void restartWithAvx2MemoryRoutines(char **argv)
{
#if defined(__linux__) && defined(__x86_64__) && defined(__GLIBC__)
    if (std::getenv("GLIBC_TUNABLES") != nullptr || !__builtin_cpu_supports("avx512f"))
        return;
    if (setenv("GLIBC_TUNABLES", "glibc.cpu.hwcaps=-AVX512F,-AVX512VL", 0) != 0)
        return;
    execv("/proc/self/exe", argv);
    // Still here: the restart failed; carry on as started, and keep the
    // variable from reaching the programs this one starts.
    unsetenv("GLIBC_TUNABLES");
#else
    (void)argv;
#endif
}
