#include "tools/viewer/grey_picture.h"

#include "common/sample_arrays.h"
#include "tools/viewer/grey_bar.h"
#include "tools/viewer/hu_window.h"

GreyPicture grey_picture(const RawToPngParameters& p, const SampleSource& source, MessageSink& sink) {
    require_picture_size(p.width, p.height);
    const bool hu = hu_window_asked(p);
    const HuWindow hu_window = hu_window_of(p);  // refuses bad HU answers before the image is read
    const std::int64_t count = sample_count(p.width, p.height);
    std::vector<double> image = take_samples(count);
    source(image, count);
    GreyPicture picture;
    picture.width = p.width;
    picture.height = p.height;
    if (!hu) {
        picture.window = choose_window(image.data(), count, p.low, p.high);
        sink.show(Message("表示範囲：%f から %f\n", picture.window.low, picture.window.high));
        picture.grey = map_to_grey(image, p.width, p.height, picture.window);
        return picture;
    }
    if (hu_window.preset != nullptr) {
        sink.show(Message("表示ウィンドウ：%s（中心 %f HU、幅 %f HU）\n", Text{hu_window.preset->label}, hu_window.centre,
                          hu_window.width));
    } else {
        sink.show(Message("表示ウィンドウ：中心 %f HU、幅 %f HU\n", hu_window.centre, hu_window.width));
    }
    picture.window = hu_display_range(hu_window);
    sink.show(Message("表示範囲：%f から %f\n", picture.window.low, picture.window.high));
    picture.grey = take_array<unsigned char>(count);
    for (std::int64_t i = 0; i < count; ++i) picture.grey[i] = hu_grey_level(image[i], hu_window);
    if (p.grey_bar == 1) {
        BarredPicture barred = with_grey_bar(picture.grey, p.width, p.height, hu_window);
        picture.grey = std::move(barred.grey);
        picture.width = barred.width;
        picture.height = barred.height;
    }
    return picture;
}
