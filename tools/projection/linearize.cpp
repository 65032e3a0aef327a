// linearize: detector counts back into projection data, ln(I0 / count) per
// sample; the inverse of attenuate.

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
    run_dialogue("X線CTの計測データから投影データを作成するプログラム", 28,
                 {
                     {" 1. 計測データのファイル名", p.input, "xdisk_1_I0_2000_poi.prj"},
                     {" 2. 投影データのファイル名", p.output, "xdisk_1_I0_2000_poisson.prj"},
                     {" 3. 投影の幅", p.bins, 256},
                     {" 4. 投影数", p.angles, 256},
                     {" 5. 入射強度（カウント）", p.incident, 2000},
                 });
    const std::int64_t samples = sample_count(p.bins, p.angles);
    require_sample_count(samples, "投影の幅 × 投影数");

    std::vector<double> projection = take_samples(samples);
    std::vector<double> counts = take_samples(samples);
    read_raw_file(p.input, counts, samples);
    projection_from_counts(counts.data(), projection.data(), samples, p.incident);
    write_raw_file(p.output, projection, samples);
    return 0;
}
