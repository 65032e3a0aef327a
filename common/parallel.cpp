#include "common/parallel.h"

#ifdef _OPENMP
#include <omp.h>
#endif

#include <algorithm>

#ifdef _OPENMP
std::int32_t thread_count() { return omp_get_max_threads(); }

void set_thread_count(std::int32_t count) { omp_set_num_threads(std::max<std::int32_t>(count, 1)); }
#else
// Built without OpenMP (WebAssembly): every loop runs on the one thread.
std::int32_t thread_count() { return 1; }

void set_thread_count(std::int32_t) {}
#endif
