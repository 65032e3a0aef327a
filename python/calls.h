#pragma once
// How every function of the module runs a tool.
//
// Keywords: a function takes the tool's own question table (the one its
// dialogue asks), every question that is not a file name as a keyword
// argument with the tool's default, except the sizes that come from the
// shape of an input array. Running: the computation runs without the GIL,
// calling the tool's entry point, and a failure that would end the tool raises
// ValueError (an unusable value or size), OSError (a file) or MemoryError
// instead, and its warnings become Python warnings; nothing is printed.
// Noise: every call of a noise function starts, as a fresh run of the tool
// does, from the generator's state at program start (the state of the
// calling thread); such calls take turns all the same. Their keyword seed=None
// keeps the tool's own start; an integer starts the generator from that seed.

#include <pybind11/pybind11.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/dialogue.h"
#include "common/failure.h"
#include "common/message_sink.h"
#include "common/random_deviates.h"

namespace py = pybind11;

// The tool's table with its defaults applied and the keywords put in.
// TypeError for a keyword the function does not take or a value of the
// wrong type, ValueError for an integer beyond 32 bits.
void answer_from_keywords(const char* function, const ToolDialogue& dialogue, const py::kwargs& keywords,
                          const std::vector<std::string>& from_shapes);

// ValueError unless the size is 0 or more (a tool would read or write a
// negative number of samples as none, or as a product of two negatives).
void require_side(std::int32_t value, const char* keyword);

// Raises the Failure as the Python exception of its kind.
[[noreturn]] void raise_failure(const Failure& failure);

// Emits the warnings as Python UserWarnings (may raise, when warnings are errors).
void emit_warnings(const std::vector<run_events::WarningEvent>& warnings);

// Noise runs take turns (each thread has its generator's state, but a turn
// at a time keeps the calls as ordered as the tools' runs).
std::mutex& random_state_lock();

// The seed a noise function was called with (none: the tool's own start),
// from its call until run_tool has started the generator on this thread.
std::optional<std::int32_t>& chosen_noise_seed();

// Takes the keyword seed out of the keywords: nothing for None or no seed,
// TypeError for what is no integer, ValueError outside 1 .. 2147483646.
std::optional<std::int32_t> seed_keyword(const char* function, py::kwargs& keywords);

// The generator at program start, as a fresh run of the tool finds it, or
// about to start from the chosen seed.
void start_noise(std::optional<std::int32_t> seed);

// Runs `work(sink)` without the GIL and returns its result (a value that
// needs no GIL, or nothing); the sink keeps the warnings, which become
// Python warnings, and a Failure becomes the exception of its kind. With
// `fresh_noise`, first puts the random generator back to its state at
// program start.
template <typename Work>
auto run_tool(Work&& work, bool fresh_noise = false) -> decltype(work(std::declval<MessageSink&>())) {
    using Result = decltype(work(std::declval<MessageSink&>()));
    std::conditional_t<std::is_void_v<Result>, bool, std::optional<Result>> result{};
    std::optional<Failure> failure;
    CollectingSink sink;
    {
        py::gil_scoped_release released;
        std::unique_lock<std::mutex> turn(random_state_lock(), std::defer_lock);
        try {
            if (fresh_noise) {
                turn.lock();
                start_noise(std::exchange(chosen_noise_seed(), std::nullopt));
            }
            if constexpr (std::is_void_v<Result>) {
                work(sink);
            } else {
                result.emplace(work(sink));
            }
        } catch (const Failure& f) {
            failure.emplace(f);
        }
    }
    emit_warnings(sink.warning_events());
    if (failure) raise_failure(*failure);
    if constexpr (!std::is_void_v<Result>) return std::move(*result);
}

// One function of the module: the tool's name, its table, the name of its
// input array (none for the tools that only write) and the sizes that come
// from that array's shape, a line on what it returns, and the body that
// runs the tool on the parameters and the input.
template <typename Parameters>
using ToolBody = std::function<py::object(Parameters& p, py::object input)>;

struct FunctionSignature {
    const char* name;
    const char* input;  // nullptr: no input array
    std::vector<std::string> from_shapes;
    const char* about;  // English: arguments taken from arrays and what is returned
    bool draws_noise = false;  // takes seed=None
};

std::string function_doc(const FunctionSignature& signature, const ToolDialogue& dialogue);

// Takes the input array from the first positional argument or its keyword.
py::object input_argument(const FunctionSignature& signature, const py::args& args, py::kwargs& keywords);

template <typename Parameters>
void def_tool(py::module_& m, FunctionSignature signature, ToolDialogue (*dialogue)(Parameters&),
              ToolBody<Parameters> body) {
    Parameters defaults{};
    const std::string doc = function_doc(signature, dialogue(defaults));
    m.def(
        signature.name,
        [signature, dialogue, body](py::args args, py::kwargs keywords) {
            py::object input = input_argument(signature, args, keywords);
            chosen_noise_seed() = signature.draws_noise ? seed_keyword(signature.name, keywords) : std::nullopt;
            Parameters p{};
            const ToolDialogue table = dialogue(p);
            answer_from_keywords(signature.name, table, keywords, signature.from_shapes);
            return body(p, std::move(input));
        },
        doc.c_str());
}

// A named result: a namedtuple type of the module.
py::object result_type(py::module_& m, const char* name, std::initializer_list<const char*> fields);
