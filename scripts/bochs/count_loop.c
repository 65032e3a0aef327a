/* A measure of the emulator's speed: runs a loop of about N simple
 * instructions (default 10^8: two per turn, a decrement and a branch) and
 * prints N.  Time it with `time scripts/run_in_bochs count_loop N` against
 * the same run with N = 0 to separate the boot from the work. */
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
  unsigned long long instructions = argc > 1 ? strtoull(argv[1], NULL, 10) : 100000000ull;
  unsigned long long turns = instructions / 2;
  if (turns) __asm__ volatile("1: dec %0\n\tjnz 1b" : "+r"(turns) : : "cc");
  printf("%llu\n", instructions);
  return 0;
}
