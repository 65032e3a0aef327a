#include "tools/phantom/phantom_images.h"

#include "common/sample_arrays.h"

std::vector<double> draw_oval_image(const OvalDrawParameters& p) {
    // Both sizes negative still make a positive count of zero samples.
    std::vector<double> image = take_samples(sample_count(p.width, p.height));
    draw_ellipse(image, p.width, p.height, p.ellipse);
    return image;
}

std::vector<double> draw_oval_stack(const OvalStackParameters& p, const EllipseSource& ellipses) {
    require_sample_count(p.ellipse_count, "楕円の数");
    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    const std::vector<Ellipse> table = ellipses(p.ellipse_count);
    std::vector<double> image = take_samples(count);
    for (const Ellipse& e : table) draw_ellipse(image, p.width, p.height, e);
    return image;
}
