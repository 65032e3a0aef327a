// The test runner's processes under node (the WebAssembly build's tests):
// node's child_process starts the tools (the launchers in build-web/bin),
// and the environment is node's own (emscripten gives a program one of its
// own making). Lists cross to JavaScript as one text, each item after a
// byte 1.

#include <emscripten.h>

#include <cstdio>
#include <string>

#include "tests/support/process_start.h"

namespace {

// The bodies below are JavaScript, which clang-format would take for C++.
// clang-format off
EM_JS(int, host_environment_length, (), {
    let text = "";
    for (const name in process.env) text += String.fromCharCode(1) + name + "=" + process.env[name];
    return lengthBytesUTF8(text) + 1;
});

EM_JS(void, host_environment_copy, (char* buffer, int size), {
    let text = "";
    for (const name in process.env) text += String.fromCharCode(1) + name + "=" + process.env[name];
    stringToUTF8(text, buffer, size);
});

// result: started, exit status (-1 if none), signal number, timed out.
EM_JS(void, host_run, (const char* program, const char* argument_items, const char* environment_items,
                       const char* folder, const char* input, const char* output, const char* errors,
                       double limit_ms, int timeout_signal, int* result), {
    const child_process = require("child_process");
    const fs = require("fs");
    const signals = require("os").constants.signals;
    const items = (pointer) => UTF8ToString(pointer).split(String.fromCharCode(1)).slice(1);
    const env = {};
    for (const entry of items(environment_items)) {
        const equals = entry.indexOf("=");
        if (equals > 0) env[entry.slice(0, equals)] = entry.slice(equals + 1);
    }
    const streams = [];
    let end;
    try {
        streams.push(fs.openSync(UTF8ToString(input), "r"));
        streams.push(fs.openSync(UTF8ToString(output), "w", 420));
        streams.push(fs.openSync(UTF8ToString(errors), "w", 420));
        const kill = Object.keys(signals).find((name) => signals[name] === timeout_signal) || "SIGKILL";
        end = child_process.spawnSync(UTF8ToString(program), items(argument_items),
                                      {cwd: UTF8ToString(folder), env: env, stdio: streams, timeout: limit_ms,
                                       killSignal: kill});
    } catch (e) {
        end = {error: e};
    }
    for (const fd of streams) fs.closeSync(fd);
    const timed_out = !!(end.error && end.error.code === "ETIMEDOUT");
    HEAP32[result >> 2] = end.error && !timed_out ? 0 : 1;
    HEAP32[(result >> 2) + 1] = typeof end.status === "number" && !timed_out ? end.status : -1;
    HEAP32[(result >> 2) + 2] = end.signal ? signals[end.signal] : 0;
    HEAP32[(result >> 2) + 3] = timed_out ? 1 : 0;
});
// clang-format on

std::string items(const std::vector<std::string>& list) {
    std::string text;
    for (const std::string& item : list) text += '\x01' + item;
    return text;
}

}  // namespace

std::vector<std::string> current_environment() {
    std::string text(static_cast<std::size_t>(host_environment_length()), '\0');
    host_environment_copy(text.data(), static_cast<int>(text.size()));
    text.resize(text.find('\0'));
    std::vector<std::string> entries;
    for (std::size_t at = text.find('\x01'); at != std::string::npos;) {
        const std::size_t next = text.find('\x01', at + 1);
        entries.push_back(text.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1));
        at = next;
    }
    return entries;
}

ProcessEnd run_process(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment, const std::filesystem::path& dir,
                       const std::filesystem::path& in, const std::filesystem::path& out,
                       const std::filesystem::path& err, std::chrono::milliseconds limit, int timeout_signal) {
    int result[4] = {0, -1, 0, 0};
    host_run(program.c_str(), items(arguments).c_str(), items(environment).c_str(), dir.c_str(), in.c_str(),
             out.c_str(), err.c_str(), static_cast<double>(limit.count()), timeout_signal, result);
    ProcessEnd end;
    end.started = result[0] != 0;
    end.exit_status = result[1];
    end.signal = result[2];
    end.timed_out = result[3] != 0;
    return end;
}

std::string console_text_with_lf(std::string bytes) { return bytes; }

std::FILE* scratch_stream() { return std::tmpfile(); }
