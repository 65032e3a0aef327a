#include "tools/viewer/image_region.h"

#include <algorithm>

#include "common/answer_checks.h"

void check_raw_region_answers(const RawRegionParameters& p) {
    require_range(p.width, 1, largest_answer, "画像の幅");
    require_range(p.height, 1, largest_answer, "画像の高さ");
    require_range(p.x, 0, p.width - 1, "領域の左端の列");
    require_range(p.y, 0, p.height - 1, "領域の上端の行");
    require_range(p.region_width, 1, p.width - p.x, "領域の幅");
    require_range(p.region_height, 1, p.height - p.y, "領域の高さ");
}

std::vector<double> take_raw_region(const RawRegionParameters& p, const SampleSource& image) {
    check_raw_region_answers(p);
    const std::int64_t samples = sample_count(p.width, p.height);
    std::vector<double> all = take_samples(samples);
    image(all, samples);
    std::vector<double> region = take_samples(sample_count(p.region_width, p.region_height));
    for (std::int32_t row = 0; row < p.region_height; ++row) {
        const auto from = all.begin() + (static_cast<std::int64_t>(p.y) + row) * p.width + p.x;
        std::copy(from, from + p.region_width, region.begin() + static_cast<std::int64_t>(row) * p.region_width);
    }
    return region;
}
