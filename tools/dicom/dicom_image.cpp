#include "tools/dicom/dicom_image.h"

#include <gdcmAttribute.h>
#include <gdcmDataSet.h>
#include <gdcmDicts.h>
#include <gdcmGlobal.h>
#include <gdcmFileMetaInformation.h>
#include <gdcmImage.h>
#include <gdcmImageReader.h>
#include <gdcmSequenceOfFragments.h>
#include <gdcmReader.h>
#include <gdcmSequenceOfItems.h>
#include <gdcmTrace.h>
#include <gdcmTransferSyntax.h>
#include <gdcmUIDs.h>
#include <gdcmWriter.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "common/failure.h"
#include "common/sample_arrays.h"
#include "tools/dicom/element_lengths.h"
#include "tools/dicom/md5.h"

namespace {

[[noreturn]] void not_readable(const std::string& name, const char* why) {
    fail_with(" エラー：DICOM画像として読めません[%s]（%s）.\n", name.c_str(), Text{why});
}

// GDCM tells on standard error what it stumbles over; the tool says it in
// its own words instead.
void quiet_gdcm() {
    gdcm::Trace::WarningOff();
    gdcm::Trace::ErrorOff();
    gdcm::Trace::DebugOff();
}

// Whether the data set holds the element with a value.
bool has_value(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
    return ds.FindDataElement(tag) && !ds.GetDataElement(tag).IsEmpty();
}

// The text of an element, without the blanks and NULs that pad it to an even length.
std::string text_of(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
    if (!ds.FindDataElement(tag)) return {};
    const gdcm::ByteValue* bv = ds.GetDataElement(tag).GetByteValue();
    if (bv == nullptr || bv->GetPointer() == nullptr) return {};
    std::string text(bv->GetPointer(), bv->GetLength());
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    while (!text.empty() && text.front() == ' ') text.erase(0, 1);
    return text;
}

// The decimal strings (DS) of an element, values split at the backslash;
// empty when any of them is not a number.
std::vector<double> decimals_of(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
    const std::string text = text_of(ds, tag);
    std::vector<double> values;
    if (text.empty()) return values;
    std::size_t at = 0;
    while (true) {
        const std::size_t end = std::min(text.find('\\', at), text.size());
        const std::string part = text.substr(at, end - at);
        char* stop = nullptr;
        const double v = std::strtod(part.c_str(), &stop);
        while (stop != nullptr && *stop == ' ') ++stop;
        if (part.empty() || stop == part.c_str() || *stop != '\0' || !std::isfinite(v)) return {};
        values.push_back(v);
        if (end == text.size()) break;
        at = end + 1;
    }
    return values;
}

bool is_read_syntax(const gdcm::TransferSyntax& ts) {
    switch (ts) {
        case gdcm::TransferSyntax::ImplicitVRLittleEndian:
        case gdcm::TransferSyntax::ExplicitVRLittleEndian:
        case gdcm::TransferSyntax::ExplicitVRBigEndian:
        case gdcm::TransferSyntax::DeflatedExplicitVRLittleEndian:
        case gdcm::TransferSyntax::RLELossless: return true;
        default: return false;
    }
}

std::string syntax_name(const std::string& uid) {
    gdcm::UIDs u;
    if (!uid.empty() && u.SetFromUID(uid.c_str()) && u.GetName() != nullptr) return u.GetName();
    return "?";
}

// The stored value of pixel k of a decoded buffer in the machine's byte
// order: only the low `bits_stored` bits count, sign-extended for signed
// data (bits above them may hold overlays or garbage).
std::int64_t stored_value(const char* buffer, std::int64_t k, std::int32_t bytes, std::int32_t bits_stored,
                          bool is_signed) {
    std::uint32_t raw = 0;
    if (bytes == 1) {
        raw = static_cast<unsigned char>(buffer[k]);
    } else {
        std::uint16_t v;
        std::memcpy(&v, buffer + 2 * k, 2);
        raw = v;
    }
    const std::uint32_t mask = bits_stored >= 32 ? 0xFFFFFFFFu : (1u << bits_stored) - 1u;
    raw &= mask;
    if (is_signed && (raw >> (bits_stored - 1)) != 0) return static_cast<std::int64_t>(raw) - (std::int64_t{1} << bits_stored);
    return raw;
}

// Whether the file's bytes hold the whole value of an uncompressed Pixel
// Data element of `length` bytes. GDCM takes a file that ends inside the
// pixels and fills the rest; the tool refuses it instead. The element is
// found by its tag and declared length (the last one that matches: pixel
// data ends a file); a file where it cannot be found (deflated) is left
// to the decoder.
bool pixel_data_fits(const std::string& bytes, const gdcm::TransferSyntax& ts, std::uint32_t length) {
    const bool big = ts == gdcm::TransferSyntax::ExplicitVRBigEndian;
    const bool implicit = ts == gdcm::TransferSyntax::ImplicitVRLittleEndian;
    const std::string tag = big ? std::string("\x7f\xe0\x00\x10", 4) : std::string("\xe0\x7f\x10\x00", 4);
    const std::size_t header = implicit ? 8 : 12;
    for (std::size_t at = bytes.rfind(tag); at != std::string::npos; at = at == 0 ? std::string::npos : bytes.rfind(tag, at - 1)) {
        if (at + header > bytes.size()) continue;
        const unsigned char* l = reinterpret_cast<const unsigned char*>(bytes.data() + at + header - 4);
        const std::uint32_t declared = big ? (std::uint32_t{l[0]} << 24 | std::uint32_t{l[1]} << 16 | std::uint32_t{l[2]} << 8 | l[3])
                                           : (std::uint32_t{l[3]} << 24 | std::uint32_t{l[2]} << 16 | std::uint32_t{l[1]} << 8 | l[0]);
        if (declared == length) return at + header + length <= bytes.size();
    }
    return true;
}

// Whether every element (in sequences too) whose VR the file states has a
// VR that DICOM's dictionary allows for its tag: GDCM's image reader stops
// the program on a Number of Frames stated as US, and the like.
bool vrs_as_dictionary(const gdcm::DataSet& ds, int depth) {
    if (depth > 16) return false;
    const gdcm::Dicts& dicts = gdcm::Global::GetInstance().GetDicts();
    for (const gdcm::DataElement& de : ds.GetDES()) {
        const gdcm::VR stated = de.GetVR();
        if (stated != gdcm::VR::INVALID && stated != gdcm::VR::UN && !de.GetTag().IsPrivate()) {
            const gdcm::VR known = dicts.GetDictEntry(de.GetTag()).GetVR();
            if (known != gdcm::VR::INVALID && known != gdcm::VR::UN && !known.Compatible(stated)) return false;
        }
        const gdcm::SequenceOfItems* items = de.IsEmpty() ? nullptr : dynamic_cast<const gdcm::SequenceOfItems*>(&de.GetValue());
        if (items != nullptr)
            for (gdcm::SequenceOfItems::SizeType i = 1; i <= items->GetNumberOfItems(); ++i)
                if (!vrs_as_dictionary(items->GetItem(i).GetNestedDataSet(), depth + 1)) return false;
    }
    return true;
}

// An unsigned 16-bit element of a data set as GDCM holds it (in the
// machine's little-endian order, a big-endian file's too), or -1.
int us_of(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
    if (!ds.FindDataElement(tag)) return -1;
    const gdcm::ByteValue* bv = ds.GetDataElement(tag).GetByteValue();
    if (bv == nullptr || bv->GetLength() < 2) return -1;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bv->GetPointer());
    return b[0] | b[1] << 8;
}

// Whether GDCM's RLE decoder can be given these frames: 8, 16 or 32 bits
// of 1 or 3 samples (it asserts on any other), and every frame's header of
// 64 bytes counting 1 to 15 segments (it divides by the count and indexes
// its 15 offsets with it), the first at 64.
bool rle_frames_readable(const gdcm::DataSet& ds) {
    const int bits = us_of(ds, gdcm::Tag(0x0028, 0x0100)), samples = us_of(ds, gdcm::Tag(0x0028, 0x0002));
    if ((bits != 8 && bits != 16 && bits != 32) || (samples != 1 && samples != 3)) return false;
    const gdcm::SequenceOfFragments* fragments = ds.GetDataElement(gdcm::Tag(0x7fe0, 0x0010)).GetSequenceOfFragments();
    if (fragments == nullptr || fragments->GetNumberOfFragments() == 0) return false;
    for (std::size_t i = 0; i < fragments->GetNumberOfFragments(); ++i) {
        const gdcm::ByteValue* bv = fragments->GetFragment(static_cast<unsigned int>(i)).GetByteValue();
        if (bv == nullptr || bv->GetLength() < 64) return false;
        const unsigned char* b = reinterpret_cast<const unsigned char*>(bv->GetPointer());
        const auto word = [b](int k) {
            return std::uint32_t{b[4 * k]} | std::uint32_t{b[4 * k + 1]} << 8 | std::uint32_t{b[4 * k + 2]} << 16 |
                   std::uint32_t{b[4 * k + 3]} << 24;
        };
        if (word(0) < 1 || word(0) > 15 || word(1) != 64) return false;
    }
    return true;
}

// Refuses an image of a transfer syntax the tool does not read (the
// compressed ones), naming the syntax.
void refuse_unread_syntax(const std::string& name, const gdcm::TransferSyntax& ts) {
    if (is_read_syntax(ts)) return;
    const std::string uid = gdcm::TransferSyntax::GetTSString(ts) != nullptr ? gdcm::TransferSyntax::GetTSString(ts) : "";
    fail_with(" エラー：この転送構文の画像は読めません[%s]（%s %s）.\n", name.c_str(), syntax_name(uid).c_str(), uid.c_str());
}

}  // namespace

DicomImage read_dicom_image(const std::string& name, const std::string& bytes, std::int32_t frame) {
    quiet_gdcm();
    {
        // The elements first, without making an image of them: a file that
        // declares an element longer than itself is refused before GDCM
        // sets its length aside; a file that is not DICOM, or holds no
        // image, is told apart here; and a file whose frames follow a
        // pointer without their number is refused before GDCM's image
        // reader, which stops the whole program on it.
        // A DICOM file has its preamble and "DICM" at byte 128. Without them
        // GDCM guesses how the bytes are encoded, and its guesses, tried one
        // after the other on a broken file, have read lengths of gigabytes.
        if (bytes.size() < 132 || bytes.compare(128, 4, "DICM") != 0)
            not_readable(name, "DICOMファイルではないか、途中で切れています");
        switch (check_element_lengths(bytes)) {
            case ElementLengths::too_long: not_readable(name, "ファイルより長い要素があります");
            case ElementLengths::pixels_too_long: not_readable(name, "画素データの途中でファイルが終わっています");
            case ElementLengths::broken: not_readable(name, "長さの決まらない要素があります");
            case ElementLengths::misplaced_item: not_readable(name, "シーケンスの外に項目（item）があります");
            case ElementLengths::overruns_item: not_readable(name, "シーケンスか項目（item）の長さを越える要素があります");
            case ElementLengths::bad_vr: not_readable(name, "DICOMにない値表現（VR）の要素があります");
            case ElementLengths::not_dictionary_vr: not_readable(name, "辞書と違う値表現（VR）の要素があります");
            case ElementLengths::cut:
            case ElementLengths::no_encoding_fits: not_readable(name, "DICOMファイルではないか、途中で切れています");
            case ElementLengths::fit: break;
        }
        std::istringstream elements(bytes);
        gdcm::Reader plain;
        plain.SetStream(elements);
        if (!plain.Read()) not_readable(name, "DICOMファイルではないか、途中で切れています");
        const gdcm::DataSet& ds = plain.GetFile().GetDataSet();
        if (!ds.FindDataElement(gdcm::Tag(0x7fe0, 0x0010))) not_readable(name, "画素データがありません");
        // Frames that follow a pointer, or a dose grid's frame offsets
        // (which GDCM reads as the slices' spacing), without their number.
        const bool has_frames = ds.FindDataElement(gdcm::Tag(0x0028, 0x0008));
        if (!has_frames && (ds.FindDataElement(gdcm::Tag(0x0028, 0x0009)) || has_value(ds, gdcm::Tag(0x3004, 0x000c))))
            not_readable(name, "フレームの数がありません");
        // GDCM takes the spacing from the grid's first two offsets, which
        // must be numbers.
        if (has_value(ds, gdcm::Tag(0x3004, 0x000c)) && decimals_of(ds, gdcm::Tag(0x3004, 0x000c)).size() < 2)
            not_readable(name, "線量グリッドのフレーム位置が 2 つ以上の数で書かれていません");
        if (!vrs_as_dictionary(ds, 0)) not_readable(name, "辞書と違う値表現（VR）の要素があります");
        // A compressed image is refused before any decoder sees its bytes.
        const gdcm::TransferSyntax syntax = plain.GetFile().GetHeader().GetDataSetTransferSyntax();
        refuse_unread_syntax(name, syntax);
        // A file whose meta information names a SOP class that holds no
        // image (a plan, a structure set), and whose data set names none
        // GDCM knows, is one GDCM's image reader stops the program on.
        const gdcm::FileMetaInformation& header = plain.GetFile().GetHeader();
        const gdcm::MediaStorage declared = header.GetMediaStorage();
        if (declared != gdcm::MediaStorage::MS_END && !gdcm::MediaStorage::IsImage(declared) &&
            ds.GetMediaStorage() == gdcm::MediaStorage::MS_END && !header.IsEmpty())
            not_readable(name, "SOP クラス（0002,0002）が画像のものではありません");
        // An ACR-NEMA recognition code GDCM's image reader does not know
        // stops the program.
        if (has_value(ds, gdcm::Tag(0x0008, 0x0010))) {
            const gdcm::ByteValue* code = ds.GetDataElement(gdcm::Tag(0x0008, 0x0010)).GetByteValue();
            const std::string text = code == nullptr ? std::string() : std::string(code->GetPointer(), code->GetLength());
            if (text.rfind("ACR-NEMA", 0) != 0 && text.rfind("ACRNEMA", 0) != 0 && text.rfind("MIPS 2.0", 0) != 0)
                not_readable(name, "認識コード（0008,0010）が ACR-NEMA のものではありません");
        }
        // GDCM's image reader stops the program on samples a pixel other
        // than 1, 3 and 4; a greyscale image has one.
        const int samples = us_of(ds, gdcm::Tag(0x0028, 0x0002));
        // Pixels of other bit depths than 8 and 16 are refused before GDCM's
        // image reader, which decodes a compressed frame to tell whether it
        // is lossy and stops the program on 32 bits with fewer stored.
        const int allocated = us_of(ds, gdcm::Tag(0x0028, 0x0100));
        if (allocated >= 0 && allocated != 8 && allocated != 16)
            fail_with(" エラー：画素のビット数が読めません[%s]（割り当て %d、格納 %d）.\n", name.c_str(), allocated,
                      us_of(ds, gdcm::Tag(0x0028, 0x0101)));
        if (samples == 0 || samples == 2 || samples > 4)
            fail_with(" エラー：グレースケールの画像ではありません[%s]（1 画素に %d 標本）.\n", name.c_str(), samples);
        if (syntax == gdcm::TransferSyntax::RLELossless && !rle_frames_readable(ds))
            not_readable(name, "RLEの圧縮データが壊れています");
    }
    std::istringstream stream(bytes);
    gdcm::ImageReader reader;
    reader.SetStream(stream);
    if (!reader.Read()) not_readable(name, "DICOMファイルではないか、途中で切れています");
    const gdcm::File& file = reader.GetFile();
    const gdcm::DataSet& ds = file.GetDataSet();
    const gdcm::Image& image = reader.GetImage();
    DicomImage out;
    DicomFacts& f = out.facts;

    const gdcm::TransferSyntax& ts = image.GetTransferSyntax();
    f.transfer_syntax_uid = gdcm::TransferSyntax::GetTSString(ts) != nullptr ? gdcm::TransferSyntax::GetTSString(ts) : "";
    f.transfer_syntax_name = syntax_name(f.transfer_syntax_uid);  // one the tool reads: refused above otherwise

    const gdcm::PixelFormat& pf = image.GetPixelFormat();
    f.photometric = gdcm::PhotometricInterpretation::GetPIString(image.GetPhotometricInterpretation()) != nullptr
                        ? gdcm::PhotometricInterpretation::GetPIString(image.GetPhotometricInterpretation())
                        : "?";
    while (!f.photometric.empty() && f.photometric.back() == ' ') f.photometric.pop_back();
    const auto pi = image.GetPhotometricInterpretation().GetType();
    if (pf.GetSamplesPerPixel() != 1 ||
        (pi != gdcm::PhotometricInterpretation::MONOCHROME1 && pi != gdcm::PhotometricInterpretation::MONOCHROME2))
        fail_with(" エラー：グレースケールの画像ではありません[%s]（%s）.\n", name.c_str(), f.photometric.c_str());
    // Bits allocated first: GDCM marks a format it cannot use with 0 bits
    // allocated and keeps the bits stored it had, and asking it for those
    // would then stop the program.
    f.bits_allocated = pf.GetBitsAllocated();
    f.bits_stored = f.bits_allocated > 0 ? pf.GetBitsStored() : 0;
    f.is_signed = pf.GetPixelRepresentation() == 1;
    if ((f.bits_allocated != 8 && f.bits_allocated != 16) || f.bits_stored < 1 || f.bits_stored > f.bits_allocated)
        fail_with(" エラー：画素のビット数が読めません[%s]（割り当て %d、格納 %d）.\n", name.c_str(), f.bits_allocated,
                  f.bits_stored);

    f.columns = static_cast<std::int32_t>(image.GetDimension(0));
    f.rows = static_cast<std::int32_t>(image.GetDimension(1));
    f.frames = image.GetNumberOfDimensions() > 2 ? static_cast<std::int32_t>(image.GetDimension(2)) : 1;
    if (f.rows < 1 || f.columns < 1 || f.frames < 1)
        fail_with(" エラー：画像の大きさが正しくありません[%s]（%d × %d、%d フレーム）.\n", name.c_str(), f.columns,
                  f.rows, f.frames);
    if (frame < 1 || frame > f.frames)
        fail_with(" エラー：フレームの番号が範囲の外です[%d]（%s は %d フレーム）.\n", frame, name.c_str(), f.frames);

    // Header facts straight from the elements, as any DICOM reader applies
    // them: a library's own guesses per modality would change the numbers.
    const std::vector<double> spacing = decimals_of(ds, gdcm::Tag(0x0028, 0x0030));
    if (spacing.size() == 2) {
        f.has_spacing = true;
        f.row_spacing_mm = spacing[0];
        f.column_spacing_mm = spacing[1];
    }
    const std::vector<double> intercept = decimals_of(ds, gdcm::Tag(0x0028, 0x1052));
    const std::vector<double> slope = decimals_of(ds, gdcm::Tag(0x0028, 0x1053));
    if (!intercept.empty()) f.intercept = intercept[0];
    if (!slope.empty()) f.slope = slope[0];
    const std::vector<double> centre = decimals_of(ds, gdcm::Tag(0x0028, 0x1050));
    const std::vector<double> width = decimals_of(ds, gdcm::Tag(0x0028, 0x1051));
    if (!centre.empty() && !width.empty()) {
        f.has_window = true;
        f.window_centre = centre[0];
        f.window_width = width[0];
    }
    f.modality = text_of(ds, gdcm::Tag(0x0008, 0x0060));

    // The pixel data must hold every frame the header declares; checked
    // before anything is decoded, so that a huge declared size takes no memory.
    const std::int32_t pixel_bytes = f.bits_allocated / 8;
    const std::int64_t frame_samples = sample_count(f.rows, f.columns);
    const std::int64_t total_bytes = frame_samples * f.frames * pixel_bytes;
    const gdcm::DataElement& pixel_data = ds.GetDataElement(gdcm::Tag(0x7fe0, 0x0010));
    if (pixel_data.IsEmpty()) not_readable(name, "画素データがありません");
    if (const gdcm::ByteValue* bv = pixel_data.GetByteValue()) {
        if (static_cast<std::int64_t>(bv->GetLength()) < total_bytes)
            fail_with(" エラー：画素データの長さが画像の大きさに合いません[%s]（%lld バイト、%d × %d × %d フレームには %lld バイト）.\n",
                      name.c_str(), static_cast<long long>(bv->GetLength()), f.columns, f.rows, f.frames,
                      static_cast<long long>(total_bytes));
        if (!pixel_data_fits(bytes, ts, bv->GetLength())) not_readable(name, "画素データの途中でファイルが終わっています");
    } else if (const gdcm::SequenceOfFragments* sf = pixel_data.GetSequenceOfFragments()) {
        if (static_cast<std::int64_t>(sf->GetNumberOfFragments()) < f.frames)
            fail_with(" エラー：画素データの長さが画像の大きさに合いません[%s]（%lld 断片、%d フレーム）.\n", name.c_str(),
                      static_cast<long long>(sf->GetNumberOfFragments()), f.frames);
    }
    if (static_cast<std::int64_t>(image.GetBufferLength()) != total_bytes)
        not_readable(name, "画素データの長さが画像の大きさに合いません");
    require_memory(total_bytes, 1);
    std::vector<char> buffer(static_cast<std::size_t>(total_bytes));
    if (!image.GetBuffer(buffer.data())) not_readable(name, "画素データを復号できません");

    out.values = take_samples(frame_samples);
    const std::int64_t first = frame_samples * (frame - 1);
    for (std::int64_t k = 0; k < frame_samples; ++k) {
        const std::int64_t stored = stored_value(buffer.data(), first + k, pixel_bytes, f.bits_stored, f.is_signed);
        out.values[static_cast<std::size_t>(k)] = static_cast<double>(stored) * f.slope + f.intercept;
    }
    return out;
}

namespace {

template <std::uint16_t group, std::uint16_t element>
void put_text(gdcm::DataSet& ds, const gdcm::VR& vr, const std::string& text) {
    gdcm::DataElement de(gdcm::Tag(group, element));
    de.SetVR(vr);
    std::string padded = text;
    if (padded.size() % 2 != 0) padded += (vr == gdcm::VR::UI ? '\0' : ' ');
    de.SetByteValue(padded.data(), static_cast<std::uint32_t>(padded.size()));
    ds.Replace(de);
}

template <std::uint16_t group, std::uint16_t element>
void put_us(gdcm::DataSet& ds, std::uint16_t value) {
    gdcm::Attribute<group, element> a;
    a.SetValue(value);
    ds.Replace(a.GetAsDataElement());
}

// A UID of the 2.25 arc (a UUID written as one decimal number) that is a
// name-based UUID (version 3, MD5) of what the file holds: the same image
// written with the same answers gets the same UIDs, every other gets new
// ones, and a run's bytes never depend on the clock or on chance.
std::string content_uid(const std::string& kind, const std::string& content) {
    // The suite's own namespace for these names (a random UUID, fixed once).
    static const unsigned char name_space[16] = {0x5b, 0x0e, 0x9c, 0x1d, 0x27, 0x43, 0x4f, 0x6a,
                                                 0x9e, 0x31, 0x7c, 0x58, 0xd2, 0x04, 0xa6, 0x93};
    const std::string name = std::string(reinterpret_cast<const char*>(name_space), 16) + kind + '\0' + content;
    const std::array<std::uint8_t, 16> digest = md5_digest(name);
    std::uint32_t words[4];  // the 128 bits, most significant word first
    for (int w = 0; w < 4; ++w)
        words[w] = std::uint32_t{digest[4 * w]} << 24 | std::uint32_t{digest[4 * w + 1]} << 16 |
                   std::uint32_t{digest[4 * w + 2]} << 8 | digest[4 * w + 3];
    words[1] = (words[1] & 0xFFFF0FFFu) | 0x00003000u;  // version 3
    words[2] = (words[2] & 0x3FFFFFFFu) | 0x80000000u;  // the variant of RFC 4122
    std::string digits;
    while (words[0] != 0 || words[1] != 0 || words[2] != 0 || words[3] != 0) {
        std::uint64_t rest = 0;
        for (std::uint32_t& word : words) {
            const std::uint64_t value = rest << 32 | word;
            word = static_cast<std::uint32_t>(value / 10);
            rest = value % 10;
        }
        digits.insert(digits.begin(), static_cast<char>('0' + rest));
    }
    return "2.25." + digits;
}

// A decimal string of at most 16 characters, as DS allows.
std::string decimal(double v) {
    char text[32];
    for (int digits = 10; digits > 0; --digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, v);
        if (std::strlen(text) <= 16) break;
    }
    return text;
}

}  // namespace

std::string dicom_ct_bytes(const std::vector<double>& hounsfield, std::int32_t width, std::int32_t height,
                           const DicomWriting& writing, std::int64_t& clamped) {
    quiet_gdcm();
    const std::int64_t count = sample_count(width, height);
    std::vector<std::int16_t> stored(static_cast<std::size_t>(count));
    clamped = 0;
    for (std::int64_t k = 0; k < count; ++k) {
        const double v = hounsfield[static_cast<std::size_t>(k)];
        double r = std::nearbyint(v);
        if (std::isnan(v))
            r = 0, ++clamped;
        else if (r < -32768.0)
            r = -32768.0, ++clamped;
        else if (r > 32767.0)
            r = 32767.0, ++clamped;
        const std::int16_t s = static_cast<std::int16_t>(r);
        stored[static_cast<std::size_t>(k)] = s;
    }

    gdcm::Writer writer;
    gdcm::File& file = writer.GetFile();
    file.GetHeader().SetDataSetTransferSyntax(gdcm::TransferSyntax::ExplicitVRLittleEndian);
    gdcm::DataSet& ds = file.GetDataSet();
    const std::string ct_image_storage = "1.2.840.10008.5.1.4.1.1.2";
    // Little-endian bytes whatever the machine (WebAssembly and x86 alike are).
    std::string little(static_cast<std::size_t>(count) * 2, '\0');
    for (std::int64_t k = 0; k < count; ++k) {
        const std::uint16_t u = static_cast<std::uint16_t>(stored[static_cast<std::size_t>(k)]);
        little[static_cast<std::size_t>(2 * k)] = static_cast<char>(u & 0xFF);
        little[static_cast<std::size_t>(2 * k + 1)] = static_cast<char>(u >> 8);
    }
    std::string content = little;
    content += std::to_string(width) + "x" + std::to_string(height) + " " + decimal(writing.pixel_mm) + " " +
               decimal(writing.window_centre) + " " + decimal(writing.window_width);
    const std::string study = content_uid("study", content), series = content_uid("series", content),
                      frame_of_reference = content_uid("frame of reference", content),
                      instance = content_uid("instance", content);

    put_text<0x0008, 0x0008>(ds, gdcm::VR::CS, "DERIVED\\SECONDARY\\AXIAL");
    put_text<0x0008, 0x0016>(ds, gdcm::VR::UI, ct_image_storage);
    put_text<0x0008, 0x0018>(ds, gdcm::VR::UI, instance);
    put_text<0x0008, 0x0020>(ds, gdcm::VR::DA, "");
    put_text<0x0008, 0x0030>(ds, gdcm::VR::TM, "");
    put_text<0x0008, 0x0050>(ds, gdcm::VR::SH, "");
    put_text<0x0008, 0x0060>(ds, gdcm::VR::CS, "CT");
    put_text<0x0008, 0x0070>(ds, gdcm::VR::LO, "ct_teaching_tools");
    put_text<0x0008, 0x0090>(ds, gdcm::VR::PN, "");
    put_text<0x0010, 0x0010>(ds, gdcm::VR::PN, "Phantom^CT");
    put_text<0x0010, 0x0020>(ds, gdcm::VR::LO, "PHANTOM");
    put_text<0x0010, 0x0030>(ds, gdcm::VR::DA, "");
    put_text<0x0010, 0x0040>(ds, gdcm::VR::CS, "O");
    put_text<0x0018, 0x0050>(ds, gdcm::VR::DS, "");
    put_text<0x0018, 0x5100>(ds, gdcm::VR::CS, "");
    put_text<0x0018, 0x0060>(ds, gdcm::VR::DS, "");
    put_text<0x0020, 0x000d>(ds, gdcm::VR::UI, study);
    put_text<0x0020, 0x000e>(ds, gdcm::VR::UI, series);
    put_text<0x0020, 0x0010>(ds, gdcm::VR::SH, "1");
    put_text<0x0020, 0x0011>(ds, gdcm::VR::IS, "1");
    put_text<0x0020, 0x0012>(ds, gdcm::VR::IS, "1");
    put_text<0x0020, 0x0013>(ds, gdcm::VR::IS, "1");
    put_text<0x0020, 0x0032>(ds, gdcm::VR::DS,
                             decimal(-writing.pixel_mm * (width / 2)) + "\\" + decimal(-writing.pixel_mm * (height / 2)) + "\\0");
    put_text<0x0020, 0x0037>(ds, gdcm::VR::DS, "1\\0\\0\\0\\1\\0");
    put_text<0x0020, 0x0052>(ds, gdcm::VR::UI, frame_of_reference);
    put_text<0x0020, 0x0060>(ds, gdcm::VR::CS, "");
    put_text<0x0020, 0x1040>(ds, gdcm::VR::LO, "");
    put_us<0x0028, 0x0002>(ds, 1);
    put_text<0x0028, 0x0004>(ds, gdcm::VR::CS, "MONOCHROME2");
    put_us<0x0028, 0x0010>(ds, static_cast<std::uint16_t>(height));
    put_us<0x0028, 0x0011>(ds, static_cast<std::uint16_t>(width));
    put_text<0x0028, 0x0030>(ds, gdcm::VR::DS, decimal(writing.pixel_mm) + "\\" + decimal(writing.pixel_mm));
    put_us<0x0028, 0x0100>(ds, 16);
    put_us<0x0028, 0x0101>(ds, 16);
    put_us<0x0028, 0x0102>(ds, 15);
    put_us<0x0028, 0x0103>(ds, 1);
    put_text<0x0028, 0x1050>(ds, gdcm::VR::DS, decimal(writing.window_centre));
    put_text<0x0028, 0x1051>(ds, gdcm::VR::DS, decimal(writing.window_width));
    put_text<0x0028, 0x1052>(ds, gdcm::VR::DS, "0");
    put_text<0x0028, 0x1053>(ds, gdcm::VR::DS, "1");
    put_text<0x0028, 0x1054>(ds, gdcm::VR::LO, "HU");

    gdcm::DataElement pixels(gdcm::Tag(0x7fe0, 0x0010));
    pixels.SetVR(gdcm::VR::OW);
    pixels.SetByteValue(little.data(), static_cast<std::uint32_t>(little.size()));
    ds.Replace(pixels);

    std::ostringstream out;
    writer.SetStream(out);
    if (!writer.Write()) fail_with(" エラー：DICOMファイルを組み立てられません.\n");
    return out.str();
}
