#pragma once

// On processors with AVX-512, glibc copies and fills memory with routines
// that leave the upper halves of the vector registers in use, without the
// vzeroupper that its AVX2 routines end with. From then on every call from
// this program's SSE code into libm's AVX code (exp, log, pow, for each
// frame of each recording) pays a change of register state, both ways:
// the estimate of a whole bank took almost twice as long, for the same
// results.
//
// Call first thing in main(): where the processor has AVX-512 and
// GLIBC_TUNABLES is not set, the program starts itself again with glibc
// told not to use its AVX-512 routines (glibc reads its tunables only when
// a program starts). A GLIBC_TUNABLES already set is the user's choice, or
// this restart's, and is left as it is. Returns when there is nothing to
// do or the restart fails; the program then runs as it is.
void restartWithAvx2MemoryRoutines(char **argv);
