#include "tools/dicom/dicom_questions.h"

using namespace file_facts;

namespace {

// A raw image in each of the units the answers choose among (any other
// answer is refused by the tool and reads as HU here).
std::vector<FileFact> raw_in_units(const char* keyword, std::vector<Extent> shape, const std::int32_t& unit) {
    const Quantity quantities[] = {hounsfield, attenuation, attenuation_per_pixel};
    std::vector<FileFact> facts;
    for (int u = 0; u < 3; ++u) {
        FileFact f = asked(keyword, FileFormat::raw, shape, quantities[u]);
        f.used = [&unit, u] { return (unit == 1 || unit == 2 ? unit : 0) == u; };
        facts.push_back(f);
    }
    return facts;
}

}  // namespace

ToolDialogue dicom_to_raw_dialogue(DicomToRawParameters& p) {
    ToolDialogue d{{"dicom_to_raw", "DICOM画像をraw画像に変換するプログラム", 38,
                    "DICOM ファイルの CT 画像の1フレームを、HU（CT値）か、水の減弱係数から求めた減弱係数の raw 画像に変換します。"
                    "画像の大きさ、画素の間隔、リスケールの傾きと切片、ファイルの表示ウィンドウ、モダリティと転送構文を表示します。"
                    "実際の CT 画像を連鎖の測定ツールで調べるための入口です。",
                    {},
                    "dicom_to_raw < answers.txt",
                    nullptr},
                   {
                       {" 1. 入力DICOMファイルのファイル名", "input", p.input, "ct.dcm", FileUse::read},
                       {" 2. フレームの番号（1から）", "frame", p.frame, 1},
                       {" 3. 出力の単位(0:HU 1:μ 2:μ×画素長)", "unit", p.unit, 0},
                       {" 4. 水の減弱係数(1/cm)", "water_mu", p.water_mu, 0.19},
                       {" 5. 出力画像のファイル名", "output", p.output, "ct.img", FileUse::written},
                   },
                   {asked("input", FileFormat::dicom, {}, hounsfield)}};
    for (FileFact& f : raw_in_units("output", {}, p.unit)) d.files.push_back(std::move(f));
    return d;
}

ToolDialogue raw_to_dicom_dialogue(RawToDicomParameters& p) {
    ToolDialogue d{{"raw_to_dicom", "raw画像をDICOM画像に変換するプログラム", 38,
                    "raw 画像を DICOM の CT 画像に変換します。HU か減弱係数（水の減弱係数で HU に換算）の画像を、"
                    "1 HU 刻みの符号付き 16 ビット整数と画素の大きさ、表示ウィンドウとともに書きます。"
                    "再構成した画像を DICOM ビューアで開くための出口です。UID は画像と答えから作るので、同じ画像と答えからは同じファイルになります。",
                    {},
                    "raw_to_dicom < answers.txt",
                    nullptr},
                   {
                       {" 1. 入力画像のファイル名", "input", p.input, "a.img", FileUse::read},
                       {" 2. 画像の幅", "width", p.width, 256},
                       {" 3. 画像の高さ", "height", p.height, 256},
                       {" 4. 入力の単位(0:HU 1:μ 2:μ×画素長)", "unit", p.unit, 2},
                       {" 5. 水の減弱係数(1/cm)", "water_mu", p.water_mu, 0.19},
                       {" 6. 画素の大きさ(mm)", "pixel_mm", p.pixel_mm, 0.78125},
                       {" 7. 表示ウィンドウの中心(HU)", "window_centre", p.window_centre, 40.0},
                       {" 8. 表示ウィンドウの幅(HU)", "window_width", p.window_width, 400.0},
                       {" 9. 出力DICOMファイルのファイル名", "output", p.output, "a.dcm", FileUse::written},
                   },
                   {}};
    d.files = raw_in_units("input", image, p.unit);
    d.files[2].pixel_cm = [&p] { return p.pixel_mm / 10.0; };
    d.files.push_back(asked("output", FileFormat::dicom, {}, hounsfield));
    return d;
}
