/* A check that the machine really executes AVX-512F: adds two vectors of
 * eight doubles in one ZMM instruction and prints the sums.  On a processor
 * without AVX-512 it dies with SIGILL, which is the point of running it on
 * both the host and the emulator.  Prints "1.5 3 4.5 6 7.5 9 10.5 12" and
 * exits 0 when the sums are right, 1 when they are not. */
#include <immintrin.h>
#include <stdio.h>

__attribute__((target("avx512f"), noinline)) static void add8(const double *a, const double *b,
                                                              double *sum)
{
  _mm512_storeu_pd(sum, _mm512_add_pd(_mm512_loadu_pd(a), _mm512_loadu_pd(b)));
}

int main(void)
{
  const double a[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  const double b[8] = {0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4};
  double sum[8];
  add8(a, b, sum);
  int right = 1;
  for (int i = 0; i < 8; ++i) {
    printf("%s%g", i ? " " : "", sum[i]);
    right &= sum[i] == 1.5 * a[i];
  }
  printf("\n");
  return right ? 0 : 1;
}
