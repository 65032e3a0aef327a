#include "tests/robustness/tool_table.h"

#include <cmath>
#include <cstdint>

#include "tests/support/tool_runner.h"

namespace {

Ask in(const std::string& name) { return {Role::input, true, name}; }
Ask out(const std::string& name) { return {Role::output, true, name}; }
Ask size(const std::string& n) { return {Role::size, false, n}; }
Ask work(const std::string& n) { return {Role::work, false, n}; }
Ask value(const std::string& v) { return {Role::value, false, v}; }
Ask word(const std::string& w) { return {Role::word, true, w}; }

// One element of Explicit VR Little Endian: the long form (a 4-byte length
// after two reserved bytes) for OB and OW.
std::string element(std::uint16_t group, std::uint16_t number, const char* vr, std::string value) {
    if (value.size() % 2 != 0) value += vr[0] == 'U' && vr[1] == 'I' ? '\0' : ' ';
    auto le16 = [](std::uint32_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)}; };
    std::string out = le16(group) + le16(number) + vr;
    if (std::string(vr) == "OB" || std::string(vr) == "OW")
        out += le16(0) + le16(value.size() & 0xFFFF) + le16(value.size() >> 16);
    else
        out += le16(static_cast<std::uint32_t>(value.size()));
    return out + value;
}

std::string us(std::uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

// A 16 × 16 CT image of signed 16-bit stored values with rescale -1024.
std::string small_ct_dicom() {
    std::string data;
    data += element(0x0008, 0x0016, "UI", "1.2.840.10008.5.1.4.1.1.2");
    data += element(0x0008, 0x0018, "UI", "2.25.1");
    data += element(0x0008, 0x0060, "CS", "CT");
    data += element(0x0028, 0x0002, "US", us(1));
    data += element(0x0028, 0x0004, "CS", "MONOCHROME2");
    data += element(0x0028, 0x0010, "US", us(16));
    data += element(0x0028, 0x0011, "US", us(16));
    data += element(0x0028, 0x0030, "DS", "0.5\\0.5");
    data += element(0x0028, 0x0100, "US", us(16));
    data += element(0x0028, 0x0101, "US", us(16));
    data += element(0x0028, 0x0102, "US", us(15));
    data += element(0x0028, 0x0103, "US", us(1));
    data += element(0x0028, 0x1052, "DS", "-1024");
    data += element(0x0028, 0x1053, "DS", "1");
    std::string pixels;
    for (int k = 0; k < 16 * 16; ++k) pixels += us(static_cast<std::uint16_t>(1024 + 4 * (k % 16) - k / 16));
    data += element(0x7fe0, 0x0010, "OW", pixels);
    std::string meta = element(0x0002, 0x0001, "OB", std::string("\0\1", 2)) +
                       element(0x0002, 0x0002, "UI", "1.2.840.10008.5.1.4.1.1.2") + element(0x0002, 0x0003, "UI", "2.25.1") +
                       element(0x0002, 0x0010, "UI", "1.2.840.10008.1.2.1");
    const std::uint32_t length = static_cast<std::uint32_t>(meta.size());
    meta = element(0x0002, 0x0000, "UL", us(length & 0xFFFF) + us(length >> 16)) + meta;
    return std::string(128, '\0') + "DICM" + meta + data;
}

}  // namespace

const std::vector<ToolEntry>& every_tool() {
    static const std::vector<ToolEntry> tools = {
        {"oval_draw", {out("o.img"), size("16"), size("16"), value("0"), value("0"), value("0.5"), value("0.5"), value("10"), value("0.1")}},
        {"oval_stack", {in("e.txt"), size("2"), out("o.img"), size("16"), size("16")}},
        {"raysum", {in("in.img"), size("16"), size("16"), value("0.078125"), out("o.prj"), size("16"), size("16")}},
        {"attenuate", {in("p.prj"), out("o.prj"), size("16"), size("16"), value("2000")}},
        {"linearize", {in("c.prj"), out("o.prj"), size("16"), size("16"), value("2000")}},
        {"quantum_noise", {in("c.prj"), out("o.prj"), size("16"), size("16")}},
        {"level_noise", {in("in.img"), out("o.img"), size("16"), size("16"), value("20")}},
        {"scaled_noise", {in("c.prj"), out("o.prj"), size("16"), size("16"), value("20")}},
        {"raysum_quanta", {in("in.img"), size("16"), size("16"), value("0.078125"), out("o.prj"), size("16"), size("16"), value("2000")}},
        {"raysum_normal", {in("in.img"), size("16"), size("16"), value("0.078125"), out("o.prj"), size("16"), size("16"), value("2000"), value("20")}},
        {"reconstruct", {in("p.prj"), size("16"), size("16"), out("o.img"), size("16"), size("16"), value("0.078125")}},
        {"view_subset", {in("p.prj"), size("16"), size("16"), out("o.prj"), value("0"), value("2"), value("8")}, {}, true},
        {"iterative_recon", {in("p.prj"), size("16"), size("16"), value("16"), value("0"), value("1"), out("o.img"), size("16"), size("16"), value("0.078125"), value("2"), value("3"), value("1.0"), value("4"), value("1"), value("0"), value("2000"), value("0"), value("0"), out("t.txt"), in("in.img")}, {"ir_0005.img"}, true},
        {"fan_raysum", {in("in.img"), value("1"), value("11"), size("16"), size("16"), value("1.0"), out("o.prj"), out("g.txt"), value("40"), value("60"), value("1"), size("16"), value("2"), value("0.1"), value("0"), size("16"), value("1"), value("360")}, {}, true},
        {"fan_reconstruct", {in("p.prj"), in("fan_g.txt"), size("16"), size("16"), out("o.img"), size("16"), size("16"), value("1.0"), value("0"), value("1")}, {}, true},
        {"fan_rebin", {in("p.prj"), in("fan_g.txt"), size("16"), size("16"), out("o.prj"), size("16"), size("16"), value("1.0"), value("2")}, {}, true},
        {"step_target", {out("o.img"), size("16"), size("16"), value("2"), value("3.0")}},
        {"slant_profile", {in("edge.img"), out("o.txt"), size("16"), size("16"), work("8"), value("0.5")}, {"esf.txt"}},
        {"transfer_curve", {in("edge.img"), out("o.txt"), size("16"), size("16"), size("8"), value("0.5")}},
        {"noise_spectrum", {in("in.img"), out("x.txt"), out("y.txt"), size("16"), size("16"), size("2")}, {"n4-4_nnps.img"}},
        {"noise_spectrum_sweep", {out("x.txt"), out("y.txt"), size("16"), size("16"), value("5"), value("5"), size("2"), value("1"), size("2"), work("1")}, {"n4-5_05dB.img", "n4-5_10dB.img"}},
        {"recon_noise_sweep", {out("x.txt"), out("y.txt"), size("16"), size("16"), value("5"), value("5"), size("2"), value("1"), size("2"), work("1")}, {"n4-6_05dB.img", "n4-6_10dB.img"}},
        {"recon_noise_windows", {out("x.txt"), out("y.txt"), size("16"), size("16"), value("20"), value("1"), size("2"), work("1")}, {"n4-7_w0(u).img", "n4-7_w1(u).img", "n4-7_w2(u).img", "n4-7_w3(u).img", "n4-7_w4(u).img"}},
        {"recon_noise_diagonal", {out("x.txt"), out("y.txt"), size("16"), size("16"), value("5"), value("5"), size("2"), value("1"), size("2"), work("1")}, {"n4-9_05dB.img", "n4-9_10dB.img"}},
        {"box_smooth", {in("in.img"), out("o.img"), size("16"), size("16")}},
        {"kernel_smooth", {in("in.img"), out("o.img"), size("16"), size("16"), value("1"), value("2"), value("4")}},
        {"bell_smooth", {in("in.img"), out("o.img"), size("16"), size("16"), size("2")}},
        {"rank_smooth", {in("in.img"), out("o.img"), size("16"), size("16"), size("3")}},
        {"edge_preserve", {in("in.img"), out("o.img"), size("16"), size("16"), size("3"), value("1.0"), value("0.1")}},
        {"raw_to_png", {in("in.img"), size("16"), size("16"), out("o.png"), value("0"), value("0"), value("2"), value("0.19"), value("0.078125"), word("soft_tissue"), value("40"), value("0"), value("1")}},
        {"raw_region", {in("in.img"), size("16"), size("16"), value("2"), value("3"), size("8"), size("4"), out("o.img")}},
        {"dicom_to_raw", {in("in.dcm"), value("1"), value("0"), value("0.19"), out("o.img")}},
        {"raw_to_dicom", {in("in.img"), size("16"), size("16"), value("1"), value("0.19"), value("0.78125"), value("40"), value("400"), out("o.dcm")}},
        {"detectability", {value("0"), in("mtf.txt"), value("0.5"), value("0.5"), value("0"), in("nnps.img"), value("1"), value("0.01"), size("16"), size("16"), value("0.5"), value("0"), value("2"), value("0.05"), value("1"), value("0.5"), value("1.3"), value("4"), value("500"), value("0.25"), value("1"), value("0.1"), value("1"), value("0.5"), value("5"), out("d.txt"), out("dd.txt"), out("di.txt")}},
        // Two trials of each kind, written as observer_study reads them.
        {"detection_trials", {work("2"), size("16"), value("0.3125"), value("0.2"), value("10"), value("0.04"), value("5000"), size("16"), value("1")}, {"present_1.img", "present_2.img", "absent_1.img", "absent_2.img"}},
        // Its trials are the fixed files present_1.img … absent_3.img.
        {"observer_study", {value("3"), size("16"), size("16"), value("0.5"), value("0"), value("2"), value("1"), value("0.5"), value("100"), value("1"), out("o.txt")}},
    };
    return tools;
}

void prepare_inputs(const std::filesystem::path& folder) {
    std::vector<float> image(16 * 16), edge(16 * 16), projection(16 * 16), counts(16 * 16);
    for (int i = 0; i < 16; ++i) {
        for (int j = 0; j < 16; ++j) {
            const int k = i * 16 + j;
            image[k] = 1.0f + 0.25f * std::sin(0.7f * k);
            edge[k] = 1.0f / (std::exp(-2.0f * ((j - 8) * 0.9986f + (8 - i) * 0.0523f)) + 1.0f);
            projection[k] = 0.05f * (j % 7);
            counts[k] = 1000.0f + 10.0f * (k % 13);
        }
    }
    write_floats(folder / "in.img", image);
    write_floats(folder / "edge.img", edge);
    write_floats(folder / "p.prj", projection);
    write_floats(folder / "c.prj", counts);
    // An NNPS image of 16 × 16 (1 at the zero frequency) and an MTF table of 16 lines.
    std::vector<float> nnps(16 * 16);
    std::string mtf;
    for (int k = 0; k < 16 * 16; ++k) nnps[k] = 0.004f + 0.002f * std::sin(0.3f * k);
    nnps[8 * 16 + 8] = 1.0f;
    for (int i = 0; i < 16; ++i) mtf += std::to_string(std::exp(-0.02 * i * i)) + "\n";
    write_floats(folder / "nnps.img", nnps);
    write_file(folder / "mtf.txt", mtf);
    // Three noisy trials of each kind for observer_study.
    for (int n = 1; n <= 3; ++n) {
        std::vector<float> present(16 * 16), absent(16 * 16);
        for (int k = 0; k < 16 * 16; ++k) {
            absent[k] = std::sin(1.3f * k * n);
            present[k] = std::cos(0.9f * k * n) + ((k / 16 - 8) * (k / 16 - 8) + (k % 16 - 8) * (k % 16 - 8) <= 4 ? 0.5f : 0.0f);
        }
        write_floats(folder / ("present_" + std::to_string(n) + ".img"), present);
        write_floats(folder / ("absent_" + std::to_string(n) + ".img"), absent);
    }
    // The geometry of a 16 × 16 fan sinogram: 16 bins 2 degrees apart, 16 views over a turn.
    write_file(folder / "fan_g.txt",
               "detector = curved\nsource_to_isocentre_cm = 40\nsource_to_detector_cm = 60\nbins = 16\n"
               "bin_spacing = 0.034906585039886591\noffset_bins = 0\nviews = 16\nrange_radians = 6.28318530717958\n");
    write_file(folder / "in.dcm", small_ct_dicom());
    write_file(folder / "e.txt", "# two ellipses\n0\t0\t0.5\t0.5\t0\t1.0\n0\t0\t0.25\t0.25\t30\t-0.5\n");
}

std::vector<std::string> sane_answers(const ToolEntry& entry, int index, const std::string& answer) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < entry.asks.size(); ++i) {
        lines.push_back(static_cast<int>(i) == index ? answer : entry.asks[i].sane);
    }
    return lines;
}
