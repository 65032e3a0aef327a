#pragma once
// A walk over the elements of a DICOM file that checks one thing before
// GDCM reads it: that no element declares more bytes than the file holds.
// GDCM sets aside the whole declared length of an element before it reads
// its value, so a file of a few bytes that declares an element of 4 GB
// would take that much memory (or end the program) before any message.

#include <string>

enum class ElementLengths {
    fit,  // or the walk could not follow the file (a deflated data set, an
          // encoding it does not know, nesting deeper than a limit): GDCM decides
    too_long,  // an element, an item or a sequence runs past the file's end
    pixels_too_long,  // the pixel data does: the file ends inside its pixels
    cut,  // the file (or its inflated data set) ends inside an element's
          // tag and length, or before a sequence or item is closed
    broken,  // an element of undefined length that cannot have one
    misplaced_item,  // an item among a data set's elements, outside any sequence
    overruns_item,  // an element runs past the end its sequence or item declares
    bad_vr,  // an element whose VR (explicit encodings) is none of DICOM's
    not_dictionary_vr,  // an element whose VR is not the one DICOM gives it (a sequence among the meta elements)
    no_encoding_fits,  // a file without meta information whose lengths run
                       // past its end in every encoding: not DICOM, or cut
};

ElementLengths check_element_lengths(const std::string& bytes);
