// quantum_noise: photon-counting noise; every expected count becomes a
// Poisson deviate with that mean.

#include <cstdint>
#include <string>

#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/projection/measurement.h"

namespace {
struct Parameters {
    std::string input, output;
    std::int32_t bins, angles;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("ポアソン雑音を印加するプログラム", 32,
                 {
                     {" 1. 計測データのファイル名", p.input, "xdisk_1_I0_2000.prj"},
                     {" 2. 雑音入りデータのファイル名", p.output, "xdisk_1_I0_2000_poi.prj"},
                     {" 3. 投影の幅", p.bins, 256},
                     {" 4. 投影数　", p.angles, 256},
                 });
    const std::int64_t samples = sample_count(p.bins, p.angles);
    require_sample_count(samples, "投影の幅 × 投影数");

    std::vector<double> counts = take_samples(samples);
    read_raw_file(p.input, counts, samples);
    apply_poisson_noise(counts.data(), samples);
    write_raw_file(p.output, counts, samples);
    return 0;
}
