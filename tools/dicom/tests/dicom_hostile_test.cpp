// Files made to hurt the reader: elements that declare more bytes than the
// file holds (GDCM would set the whole length aside first), and frames
// that follow a pointer without their number (GDCM's image reader stops
// the program on them). Each is refused by name, exit status 1, no file.

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <filesystem>

#include "tests/support/tool_runner.h"
#include "tools/dicom/dicom_image.h"
#include "tools/dicom/element_lengths.h"

namespace {

namespace fs = std::filesystem;

// A 4 × 2 CT image as raw_to_dicom writes it: meta information, then the
// data set in explicit VR little endian, the pixel data last.
std::string written_file() {
    std::int64_t clamped = 0;
    return dicom_ct_bytes({0, 10, -1000, 40, 1, 2, 3, 4}, 4, 2, DicomWriting{}, clamped);
}

// Sets the 32-bit little-endian length of the first long-form element with
// this tag (group, element as in the file) to `length`.
std::string with_long_length(std::string bytes, const char tag[4], std::uint32_t length) {
    const std::size_t at = bytes.find(std::string(tag, 4), 132);
    EXPECT_NE(at, std::string::npos);
    for (int i = 0; i < 4; ++i) bytes[at + 8 + i] = static_cast<char>(length >> (8 * i) & 0xFF);
    return bytes;
}

TEST(DicomElementLengths, LengthsPastTheEndAreFoundAndTheFilesOwnPass) {
    const std::string file = written_file();
    EXPECT_EQ(check_element_lengths(file), ElementLengths::fit);
    // Pixels cut short by one byte (lengths past the end in whole files: below).
    EXPECT_EQ(check_element_lengths(file.substr(0, file.size() - 1)), ElementLengths::pixels_too_long);
    // The meta information alone, with nothing after it.
    const std::uint32_t meta_length = static_cast<unsigned char>(file[140]) | static_cast<unsigned char>(file[141]) << 8;
    EXPECT_EQ(check_element_lengths(file.substr(0, 144 + meta_length)), ElementLengths::cut);
    // A meta element as a sequence (File Meta Information Version OB made SQ).
    std::string meta_sequence = file;
    meta_sequence.replace(meta_sequence.find(std::string("\x02\x00\x01\x00OB", 6), 132) + 4, 2, "SQ");
    EXPECT_EQ(check_element_lengths(meta_sequence), ElementLengths::not_dictionary_vr);
    // Without the meta information the encoding is guessed: the file still fits.
    const std::uint32_t meta = static_cast<unsigned char>(file[140]) | static_cast<unsigned char>(file[141]) << 8;
    EXPECT_EQ(check_element_lengths(file.substr(144 + meta)), ElementLengths::fit);
    // DICM followed by an element of another group than the meta information's.
    std::string no_meta_first = file;
    no_meta_first[132] = '\x09';
    EXPECT_EQ(check_element_lengths(no_meta_first), ElementLengths::no_encoding_fits);
    // An item among the data set's elements (before the pixel data), outside any sequence.
    const std::size_t pixels = file.rfind(std::string("\xE0\x7F\x10\x00", 4));
    const std::string item("\xFE\xFF\x00\xE0\x00\x00\x00\x00", 8);
    EXPECT_EQ(check_element_lengths(file.substr(0, pixels) + item + file.substr(pixels)), ElementLengths::misplaced_item);
    // A sequence of declared length (20 bytes) holding one item whose data
    // set, one element of 12 bytes, fits its declared length or overruns it:
    // GDCM throws inside the sequence and then rereads from a failed stream.
    const auto with_sequence = [&](char item_length) {
        const std::string sequence = std::string("\x10\x00\x02\x10SQ\x00\x00\x14\x00\x00\x00", 12) +
                                     std::string("\xFE\xFF\x00\xE0", 4) + std::string(1, item_length) +
                                     std::string("\x00\x00\x00", 3) + std::string("\x10\x00\x20\x00LO\x04\x00", 8) + "ABCD";
        return file.substr(0, pixels) + sequence + file.substr(pixels);
    };
    EXPECT_EQ(check_element_lengths(with_sequence('\x0C')), ElementLengths::fit);
    EXPECT_EQ(check_element_lengths(with_sequence('\x08')), ElementLengths::overruns_item);
}

// The data set of a written file (after its meta information) as a file of
// the Deflated transfer syntax: a preamble, DICM, the syntax's UID, then the
// data set through raw deflate.
std::string deflated(const std::string& file) {
    const std::uint32_t meta = static_cast<unsigned char>(file[140]) | static_cast<unsigned char>(file[141]) << 8;
    const std::string data_set = file.substr(144 + meta);
    std::string out(128, '\0');
    out += std::string("DICM\x02\x00\x10\x00UI\x16\x00", 12) + "1.2.840.10008.1.2.1.99";
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string packed(deflateBound(&z, data_set.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data_set.data()));
    z.avail_in = static_cast<uInt>(data_set.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = static_cast<uInt>(packed.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    packed.resize(z.total_out);
    deflateEnd(&z);
    return out + packed;
}

TEST(DicomElementLengths, ADeflatedDataSetIsCheckedInflated) {
    const std::string file = written_file();
    EXPECT_EQ(check_element_lengths(deflated(file)), ElementLengths::fit);
    EXPECT_EQ(check_element_lengths(deflated(with_long_length(file, "\xe0\x7f\x10\x00", 0xF0000000u))),
              ElementLengths::pixels_too_long);
}

// pydicom's test files, good and odd (a sequence of unknown VR holding
// implicit items, a data set that says explicit but is implicit, no meta
// information, no transfer syntax in it), all pass the walk but those cut
// short on purpose and one whose first byte is astray.
TEST(DicomElementLengths, PydicomsFilesPassButItsCutOnes) {
    const fs::path folder(CT_PYDICOM_FILES);
    if (folder.empty() || !fs::exists(folder)) GTEST_SKIP() << "no pydicom test files";
    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".dcm") continue;
        ++files;
        const std::string name = entry.path().filename().string();
        const ElementLengths lengths = check_element_lengths(read_file(entry.path()));
        if (name == "MR_truncated.dcm")
            EXPECT_EQ(lengths, ElementLengths::pixels_too_long);
        else if (name == "rtplan_truncated.dcm")
            EXPECT_EQ(lengths, ElementLengths::too_long);
        else if (name == "no_meta.dcm")  // a stray first byte: no encoding reads past it (GDCM refused it too)
            EXPECT_EQ(lengths, ElementLengths::no_encoding_fits);
        else
            EXPECT_EQ(lengths, ElementLengths::fit) << name;
    }
    EXPECT_GE(files, 60);
}

// The file with `inserted` put before the first occurrence of `before`.
std::string with_inserted(std::string bytes, const std::string& before, const std::string& inserted) {
    const std::size_t at = bytes.find(before, 132);
    EXPECT_NE(at, std::string::npos);
    return bytes.insert(at, inserted);
}

TEST(DicomElementLengths, HostileFilesAreRefusedByNameWithoutOutput) {
    ScratchDir dir;
    write_file(dir / "huge.dcm", with_long_length(written_file(), "\x02\x00\x01\x00", 0xD9000000u));
    write_file(dir / "pixels.dcm", with_long_length(written_file(), "\xe0\x7f\x10\x00", 0xF0000000u));
    // Modality's VR "CS" made "ZZ"; Number of Frames (IS) stated as US.
    std::string vr = written_file();
    vr.replace(vr.find(std::string("\x08\x00\x60\x00"
                                   "CS",
                                   6),
                       132) +
                   4,
               2, "ZZ");
    write_file(dir / "vr.dcm", vr);
    write_file(dir / "frames.dcm", with_inserted(written_file(), std::string("\x28\x00\x10\x00US", 6),
                                                 std::string("\x28\x00\x08\x00US\x02\x00\x01\x00", 10)));
    // Samples per Pixel 2 (GDCM's image reader stops the program on any but 1, 3 and 4).
    std::string samples = written_file();
    samples.replace(samples.find(std::string("\x28\x00\x02\x00US\x02\x00", 8), 132) + 8, 2, std::string("\x02\x00", 2));
    write_file(dir / "samples.dcm", samples);
    // A recognition code (0008,0010) of none of ACR-NEMA's kinds, before the modality.
    write_file(dir / "code.dcm", with_inserted(written_file(), std::string("\x08\x00\x60\x00", 4),
                                               std::string("\x08\x00\x10\x00SH\x04\x00"
                                                           "ABCD",
                                                           12)));
    std::vector<std::pair<std::string, std::string>> cases = {
        {"huge.dcm", "error: cannot read a DICOM image from [huge.dcm] (an element declares more bytes than the file holds)"},
        {"pixels.dcm", "error: cannot read a DICOM image from [pixels.dcm] (the file ends inside its pixel data)"},
        {"vr.dcm", "(an element has a value representation (VR) that DICOM does not have)"},
        {"frames.dcm", "(an element's value representation (VR) is not the one DICOM gives it)"},
        {"code.dcm", "(its recognition code (0008,0010) is not one of ACR-NEMA's)"},
        {"samples.dcm", "error: not a greyscale image [samples.dcm] (2 samples a pixel)"},
    };
    // pydicom's single frame of RT dose points at its frames' offsets but
    // does not say how many frames it holds.
    const fs::path rtdose = fs::path(CT_PYDICOM_FILES) / "rtdose_1frame.dcm";
    if (fs::exists(rtdose)) {
        cases.push_back({rtdose.string(), "(it does not say how many frames it holds)"});
        // Nor when its pointer is gone: GDCM reads the number for the grid's frame offsets.
        std::string gridded = read_file(rtdose);
        gridded.replace(gridded.find(std::string("\x28\x00\x09\x00", 4)), 2, std::string("\x22\x00", 2));
        write_file(dir / "grid.dcm", gridded);
        cases.push_back({"grid.dcm", "(it does not say how many frames it holds)"});
    }
    // pydicom's RT dose of 15 frames whose grid offsets are no numbers (GDCM reads none and takes the second).
    const fs::path dose = fs::path(CT_PYDICOM_FILES) / "rtdose.dcm";
    if (fs::exists(dose)) {
        std::string offsets = read_file(dose);
        // The tag (3004,000C) itself, after the frame pointer's value that names it.
        const std::string tag("\x04\x30\x0c\x00", 4);
        const std::size_t grid = offsets.find(tag, offsets.find(tag) + 4);
        ASSERT_NE(grid, std::string::npos);
        offsets[offsets.find('\\', grid)] = 'x';
        write_file(dir / "offsets.dcm", offsets);
        cases.push_back({"offsets.dcm", "(its dose grid's frame offsets are not two numbers or more)"});
    }
    // pydicom's CT slice with four bytes more in its preamble: no DICM where
    // it belongs (GDCM's guesses read a format of 0 bits allocated, or of
    // lengths of gigabytes).
    const fs::path ct = fs::path(CT_PYDICOM_FILES) / "CT_small.dcm";
    if (fs::exists(ct)) {
        write_file(dir / "shifted.dcm", read_file(ct).insert(4, "FLT\x18"));
        cases.push_back({"shifted.dcm", "error: cannot read a DICOM image from [shifted.dcm] (it is not a DICOM file, or it is cut short)"});
        // Its Other Patient IDs sequence (declared length) with the second
        // item 4 bytes shorter than its elements (GDCM then stopped the program).
        std::string item = read_file(ct);
        const std::size_t sequence = item.find(std::string("\x10\x00\x02\x10SQ", 6));
        ASSERT_NE(sequence, std::string::npos);
        const std::size_t second = item.find(std::string("\xFE\xFF\x00\xE0", 4), sequence + 16);
        ASSERT_EQ(item[second + 4], '\x1C');
        item[second + 4] = '\x18';
        write_file(dir / "item.dcm", item);
        cases.push_back({"item.dcm", "(an element runs past the end of its sequence or item)"});
        // Its meta information naming Raw Data Storage, which holds no image,
        // and its data set a SOP class GDCM does not know (GDCM's image
        // reader stopped the program).
        std::string plan = read_file(ct);
        const std::string ct_class("1.2.840.10008.5.1.4.1.1.2\0", 26);
        const std::size_t meta_class = plan.find(ct_class, 132);
        ASSERT_NE(meta_class, std::string::npos);
        plan.replace(meta_class, 26, "1.2.840.10008.5.1.4.1.1.66");
        plan.replace(plan.find(ct_class, meta_class + 26), 26, "1.2.840.10008.5.1.4.1.9.99");
        write_file(dir / "plan.dcm", plan);
        cases.push_back({"plan.dcm", "(its SOP class (0002,0002) is not one of an image)"});
    }
    // pydicom's RLE slice whose first frame counts 0 segments (GDCM's decoder divided by it).
    const fs::path rle = fs::path(CT_PYDICOM_FILES) / "MR_small_RLE.dcm";
    if (fs::exists(rle)) {
        std::string bytes = read_file(rle);
        const std::size_t pixels = bytes.rfind(std::string("\xe0\x7f\x10\x00OB", 6));
        ASSERT_NE(pixels, std::string::npos);
        const std::size_t table = pixels + 12;  // the basic offset table's item, then the first frame's
        const std::uint32_t table_length = static_cast<unsigned char>(bytes[table + 4]) | static_cast<unsigned char>(bytes[table + 5]) << 8;
        bytes.replace(table + 8 + table_length + 8, 4, std::string(4, '\0'));
        write_file(dir / "rle.dcm", bytes);
        cases.push_back({"rle.dcm", "(its RLE compressed data is broken)"});
        // Its pixels said to be of 32 bits allocated, 16 stored (GDCM, cleaning
        // the unused bits of the frame it decodes first, stopped the program).
        std::string wide = read_file(rle);
        const std::size_t allocated = wide.find(std::string("\x28\x00\x00\x01US\x02\x00", 8));
        ASSERT_NE(allocated, std::string::npos);
        wide[allocated + 8] = 32;
        write_file(dir / "wide.dcm", wide);
        cases.push_back({"wide.dcm", "error: pixels of these bit depths are not read [wide.dcm] (allocated 32, stored 16)"});
    }
    for (const auto& [file, says] : cases) {
        const ToolRun run = run_tool_with("dicom_to_raw", {}, answers({file, "1", "0", "", "o.img"}), dir.path(),
                                          {"CT_LANG=en", "CT_ENCODING=utf-8"});
        EXPECT_EQ(run.exit_status, 1) << file;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir / "o.img")) << file;
    }
}

}  // namespace
