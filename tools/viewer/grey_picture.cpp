#include "tools/viewer/grey_picture.h"

#include "common/sample_arrays.h"

GreyPicture grey_picture(const RawToPngParameters& p, const SampleSource& source, MessageSink& sink) {
    require_picture_size(p.width, p.height);
    const std::int64_t count = sample_count(p.width, p.height);
    std::vector<double> image = take_samples(count);
    source(image, count);
    GreyPicture picture;
    picture.window = choose_window(image.data(), count, p.low, p.high);
    sink.show(Message("表示範囲：%f から %f\n", picture.window.low, picture.window.high));
    picture.grey = map_to_grey(image, p.width, p.height, picture.window);
    return picture;
}
