// A whole answer stream against a question table of every kind.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/dialogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* in = size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "r") : std::fopen("/dev/null", "r");
    std::FILE* out = std::fopen("/dev/null", "w");
    std::string input, output;
    std::int32_t width = 0, height = 0;
    double x = 0, y = 0, angle = 0;
    run_dialogue("楕円画像", 36,
                 {
                     {" 1. 入力画像のファイル名", "input", input, "in.img", FileUse::read},
                     {" 2. 画像の幅　", "width", width, 256},
                     {" 3. 画像の高さ", "height", height, 256},
                     {" 4. 中心x座標", "x", x, 0.0},
                     {" 5. 中心y座標", "y", y, 0.0},
                     {" 6. 出力画像のファイル名", "output", output, "out.img", FileUse::written},
                     {" 7. 回転角 （度）", "angle", angle, 10.0},
                 },
                 {in, out});
    std::fclose(in);
    std::fclose(out);
    // A name holds at most 255 bytes and never its line end.
    for (const std::string* name : {&input, &output}) {
        if (name->size() > 255 || name->find('\n') != std::string::npos) std::abort();
    }
    return 0;
}
