// attenuate: projection data (line integrals) into the detector counts of a
// beam of I0 incident photons, I0 · e^(−p) per sample.

#include <cstdint>
#include <string>

#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/projection/measurement.h"

namespace {
struct Parameters {
    std::string input, output;
    std::int32_t bins, angles, incident;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("X線CTの投影データから計測データを作成するプログラム", 29,
                 {
                     {" 1. 投影データのファイル名", p.input, "xdisk_1.prj"},
                     {" 2. 計測データのファイル名", p.output, "xdisk_1_I0_2000.prj"},
                     {" 3. 投影の幅", p.bins, 256},
                     {" 4. 投影数", p.angles, 256},
                     {" 5. 入射光子数（カウント）", p.incident, 2000},
                 });
    const std::int64_t samples = sample_count(p.bins, p.angles);
    require_sample_count(samples, "投影の幅 × 投影数");

    std::vector<double> projection = take_samples(samples);
    std::vector<double> counts = take_samples(samples);
    read_raw_file(p.input, projection, samples);
    counts_from_projection(projection.data(), counts.data(), samples, p.incident);
    write_raw_file(p.output, counts, samples);
    return 0;
}
