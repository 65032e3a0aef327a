#include "common/parallel.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "common/failure.h"

#ifdef _OPENMP
#include <omp.h>

namespace {

// The first exception the threads of one loop throw, kept for the caller.
class FirstException {
  public:
    void keep(std::exception_ptr exception) {
#pragma omp critical(ct_parallel_first_exception)
        {
            if (!exception_) exception_ = std::move(exception);
        }
#pragma omp atomic write
        thrown_ = true;
    }
    bool thrown() {
        bool thrown;
#pragma omp atomic read
        thrown = thrown_;
        return thrown;
    }
    void rethrow() {
        if (exception_) std::rethrow_exception(exception_);
    }

  private:
    std::exception_ptr exception_;
    bool thrown_ = false;
};

}  // namespace

#ifdef _OPENMP
std::int32_t thread_count() { return omp_get_max_threads(); }

void set_thread_count(std::int32_t count) { omp_set_num_threads(std::max<std::int32_t>(count, 1)); }
#else
// Built without OpenMP (WebAssembly): every loop runs on the one thread.
std::int32_t thread_count() { return 1; }

void set_thread_count(std::int32_t) {}
#endif

void parallel_for_with_scratch(std::int64_t count, Schedule schedule, const std::function<LoopBody()>& make_body) {
    if (count <= 0) return;
    FirstException first;
    // Every thread meets the loop construct, even one whose body could not
    // be made: OpenMP requires it. No exception leaves an iteration.
#pragma omp parallel
    {
        LoopBody body;
        try {
            body = make_body();
        } catch (...) {
            first.keep(std::current_exception());
        }
        const auto iteration = [&](std::int64_t i) {
            if (!body || first.thrown()) return;
            try {
                body(i);
            } catch (...) {
                first.keep(std::current_exception());
            }
        };
        if (schedule == Schedule::dynamic) {
#pragma omp for schedule(dynamic)
            for (std::int64_t i = 0; i < count; ++i) iteration(i);
        } else {
#pragma omp for schedule(static)
            for (std::int64_t i = 0; i < count; ++i) iteration(i);
        }
    }
    first.rethrow();
}

void one_thread_at_a_time(const std::function<void()>& section) {
#pragma omp critical(ct_parallel_one_thread_at_a_time)
    section();
}

#else

std::int32_t thread_count() { return 1; }

void set_thread_count(std::int32_t) {}

void parallel_for_with_scratch(std::int64_t count, Schedule, const std::function<LoopBody()>& make_body) {
    if (count <= 0) return;
    const LoopBody body = make_body();
    for (std::int64_t i = 0; i < count; ++i) body(i);
}

void one_thread_at_a_time(const std::function<void()>& section) { section(); }

#endif

void parallel_for(std::int64_t count, Schedule schedule, const LoopBody& body) {
    parallel_for_with_scratch(count, schedule, [&] { return body; });
}
