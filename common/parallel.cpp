#include "common/parallel.h"

#include <omp.h>

#include <algorithm>

std::int32_t thread_count() { return omp_get_max_threads(); }

void set_thread_count(std::int32_t count) { omp_set_num_threads(std::max<std::int32_t>(count, 1)); }
