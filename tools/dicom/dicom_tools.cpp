#include "tools/dicom/dicom_tools.h"

#include <cmath>
#include <cstdio>

#include "common/failure.h"
#include "common/output_file.h"
#include "common/platform.h"
#include "common/sample_arrays.h"
#include "tools/dicom/hounsfield.h"

namespace {

void require_unit(std::int32_t unit) {
    if (unit < 0 || unit > 2) fail_with(" エラー：単位は0から2までにしてください[%d].\n", unit);
}

void require_positive(double value, const char* what) {
    if (!(value > 0) || !std::isfinite(value)) fail_with(" エラー：%sは正の値にしてください[%f].\n", Text{what}, value);
}

}  // namespace

void check_dicom_to_raw(const DicomToRawParameters& p) {
    if (p.frame < 1) fail_with(" エラー：フレームの番号は1以上にしてください[%d].\n", p.frame);
    require_unit(p.unit);
    require_positive(p.water_mu, "水の減弱係数");
}

void check_raw_to_dicom(const RawToDicomParameters& p) {
    // Rows and Columns of DICOM are 16-bit.
    if (p.width < 1 || p.height < 1 || p.width > 65535 || p.height > 65535)
        fail_with(" エラー：画像の大きさが正しくありません[%d × %d].\n", p.width, p.height);
    require_unit(p.unit);
    require_positive(p.water_mu, "水の減弱係数");
    require_positive(p.pixel_mm, "画素の大きさ");
    if (!std::isfinite(p.window_centre)) fail_with(" エラー：表示ウィンドウの中心が有限の値ではありません.\n");
    if (!(p.window_width >= 1) || !std::isfinite(p.window_width))
        fail_with(" エラー：表示ウィンドウの幅は1以上にしてください[%f].\n", p.window_width);
}

DicomImage dicom_to_raw_image(const DicomToRawParameters& p, const std::string& bytes, MessageSink& sink) {
    DicomImage image = read_dicom_image(p.input, bytes, p.frame);
    const DicomFacts& f = image.facts;
    sink.show(Message("画像の大きさ：%d × %d（%d フレームの %d 番目）\n", f.columns, f.rows, f.frames, p.frame));
    if (f.has_spacing)
        sink.show(Message("画素の間隔：行 %f mm、列 %f mm\n", f.row_spacing_mm, f.column_spacing_mm));
    else
        sink.show(Message("画素の間隔：ファイルにありません\n"));
    sink.show(Message("リスケール：傾き %f、切片 %f\n", f.slope, f.intercept));
    if (f.has_window)
        sink.show(Message("ファイルの表示ウィンドウ：中心 %f、幅 %f\n", f.window_centre, f.window_width));
    else
        sink.show(Message("ファイルの表示ウィンドウ：ありません\n"));
    sink.show(Message("モダリティ：%s\n", f.modality.c_str()));
    sink.show(Message("転送構文：%s（%s）\n", f.transfer_syntax_name.c_str(), f.transfer_syntax_uid.c_str()));

    const ImageUnit unit = static_cast<ImageUnit>(p.unit);
    double pixel_cm = 0;
    if (unit == ImageUnit::attenuation_per_pixel) {
        if (!f.has_spacing || !(f.column_spacing_mm > 0))
            fail_with(" エラー：画素の間隔がないので μ×画素長 にできません[%s].\n", p.input.c_str());
        pixel_cm = f.column_spacing_mm / 10.0;
    }
    if (unit != ImageUnit::hounsfield)
        for (double& v : image.values) v = value_of(v, unit, p.water_mu, pixel_cm);
    return image;
}

run_events::FileInside file_inside(const DicomFacts& f, std::int32_t frame) {
    run_events::FileInside inside;
    inside.rows = f.rows;
    inside.columns = f.columns;
    auto& h = inside.header;
    h.push_back({"frames", std::int64_t{f.frames}});
    h.push_back({"frame", std::int64_t{frame}});
    if (f.has_spacing) {
        h.push_back({"pixel_spacing_row_mm", f.row_spacing_mm});
        h.push_back({"pixel_spacing_column_mm", f.column_spacing_mm});
    }
    h.push_back({"rescale_slope", f.slope});
    h.push_back({"rescale_intercept", f.intercept});
    if (f.has_window) {
        h.push_back({"window_center", f.window_centre});
        h.push_back({"window_width", f.window_width});
    }
    h.push_back({"modality", f.modality});
    h.push_back({"transfer_syntax", f.transfer_syntax_name});
    h.push_back({"transfer_syntax_uid", f.transfer_syntax_uid});
    h.push_back({"photometric_interpretation", f.photometric});
    h.push_back({"bits_allocated", std::int64_t{f.bits_allocated}});
    h.push_back({"bits_stored", std::int64_t{f.bits_stored}});
    h.push_back({"pixel_representation", std::int64_t{f.is_signed ? 1 : 0}});
    return inside;
}

std::string raw_to_dicom_bytes(const RawToDicomParameters& p, const SampleSource& source, MessageSink& sink) {
    const std::int64_t count = sample_count(p.width, p.height);
    std::vector<double> values = take_samples(count);
    source(values, count);
    const ImageUnit unit = static_cast<ImageUnit>(p.unit);
    for (double& v : values) v = hounsfield_of(v, unit, p.water_mu, p.pixel_mm / 10.0);
    DicomWriting writing;
    writing.pixel_mm = p.pixel_mm;
    writing.window_centre = p.window_centre;
    writing.window_width = p.window_width;
    std::int64_t clamped = 0;
    std::string bytes = dicom_ct_bytes(values, p.width, p.height, writing, clamped);
    if (clamped > 0)
        sink.warning(Message(" 警告：%lld 個の画素が -32768 から 32767 HU の外か非数なので、端の値か0にしました.\n",
                             static_cast<long long>(clamped))
                         .kind("values_clamped"));
    sink.show(Message("表示ウィンドウ：中心 %f HU、幅 %f HU\n", p.window_centre, p.window_width));
    return bytes;
}

std::string whole_file(const std::string& name, std::int64_t limit) {
    std::FILE* in = open_for_reading(name, "rb");
    if (in == nullptr) fail_open(name);
    const std::int64_t size = regular_file_size(in);
    if (size > limit) {
        std::fclose(in);
        fail_with(" エラー：ファイルが大きすぎます[%s]（%lld バイト）.\n", name.c_str(), static_cast<long long>(size));
    }
    std::string bytes;
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) {
        bytes.append(chunk, n);
        if (static_cast<std::int64_t>(bytes.size()) > limit) {
            std::fclose(in);
            fail_with(" エラー：ファイルが大きすぎます[%s]（%lld バイト）.\n", name.c_str(), static_cast<long long>(bytes.size()));
        }
    }
    std::fclose(in);
    return bytes;
}
