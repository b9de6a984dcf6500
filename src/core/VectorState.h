#pragma once

#include <optional>
#include <string>

// On processors with AVX-512, glibc copies and fills memory with routines
// that leave the upper halves of the vector registers in use, without the
// vzeroupper that its AVX2 routines end with. From then on every call from
// this program's SSE code into libm's AVX code (exp, log, pow, for each
// frame of each recording) pays a change of register state, both ways:
// the estimate of a whole bank took almost twice as long, for the same
// results.
//
// Call first thing in main(): where the processor has AVX-512, the program
// starts itself again with glibc told not to use its AVX-512 routines
// (glibc reads its tunables only when a program starts). Returns when there
// is nothing to do or the restart fails; the program then runs as it is.
void restartWithAvx2MemoryRoutines(char **argv);

// The GLIBC_TUNABLES to start again with, given the one the program was
// started with (null: none): the same with the AVX-512 routines turned
// off. None when there is no AVX-512 or the tunables already choose the
// processor's capabilities (the user's choice, or this restart's).
std::optional<std::string> tunablesForRestart(const char *current, bool hasAvx512);
