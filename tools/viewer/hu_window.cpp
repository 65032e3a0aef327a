#include "tools/viewer/hu_window.h"

#include <cmath>
#include <string>

#include "common/failure.h"

bool hu_window_asked(const RawToPngParameters& p) { return !p.window.empty() || p.window_width != 0.0; }

namespace {

void require_positive(double value, const char* what) {
    if (!(value > 0) || !std::isfinite(value)) fail_with(" エラー：%sは正の値にしてください[%f].\n", Text{what}, value);
}

}  // namespace

HuWindow hu_window_of(const RawToPngParameters& p) {
    if (p.grey_bar != 0 && p.grey_bar != 1) fail_with(" エラー：グレーバーは0か1にしてください[%d].\n", p.grey_bar);
    if (!hu_window_asked(p)) {
        if (p.grey_bar == 1) fail_with(" エラー：グレーバーはHUのウィンドウとともに使います.\n");
        return {};
    }
    HuWindow w{};
    if (!p.window.empty()) {
        w.preset = window_preset(p.window.c_str());
        if (w.preset == nullptr) {
            std::string names;
            for (const WindowPreset& preset : window_presets()) names += (names.empty() ? "" : " ") + std::string(preset.name);
            fail_with(" エラー：HUウィンドウのプリセットがありません[%s]（%s）.\n", p.window.c_str(), names.c_str());
        }
        w.centre = w.preset->centre;
        w.width = w.preset->width;
    } else {
        if (!std::isfinite(p.window_centre)) fail_with(" エラー：表示ウィンドウの中心が有限の値ではありません.\n");
        if (!(p.window_width >= 1) || !std::isfinite(p.window_width))
            fail_with(" エラー：表示ウィンドウの幅は1以上にしてください[%f].\n", p.window_width);
        w.centre = p.window_centre;
        w.width = p.window_width;
    }
    if (p.unit < 0 || p.unit > 2) fail_with(" エラー：単位は0から2までにしてください[%d].\n", p.unit);
    w.unit = static_cast<ImageUnit>(p.unit);
    require_positive(p.water_mu, "水の減弱係数");
    w.water_mu = p.water_mu;
    w.pixel_cm = p.pixel_length;
    if (w.unit == ImageUnit::attenuation_per_pixel) require_positive(p.pixel_length, "画素長");
    return w;
}

unsigned char hu_grey_level_of_hounsfield(double hounsfield, const HuWindow& w) {
    const double y = voi_linear(hounsfield, w.centre, w.width, 0.0, 255.0);
    if (std::isnan(y)) return 0;
    // y lies in 0 … 255: the nearest level, halves up.
    return static_cast<unsigned char>(std::floor(y + 0.5));
}

unsigned char hu_grey_level(double value, const HuWindow& w) {
    return hu_grey_level_of_hounsfield(hounsfield_of(value, w.unit, w.water_mu, w.pixel_cm), w);
}

DisplayWindow hu_display_range(const HuWindow& w) {
    const double middle = w.centre - 0.5, half = (w.width - 1.0) / 2.0;
    return {value_of(middle - half, w.unit, w.water_mu, w.pixel_cm), value_of(middle + half, w.unit, w.water_mu, w.pixel_cm)};
}
