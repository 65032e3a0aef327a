#include "tools/dicom/inflated_data_set.h"

#include <zlib.h>

#include <algorithm>

bool inflate_data_set(const std::string& bytes, std::size_t from, std::size_t limit, std::string& out) {
    out.clear();
    if (from > bytes.size()) return false;
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + from));
    z.avail_in = static_cast<uInt>(std::min<std::size_t>(bytes.size() - from, 0x7FFFFFFF));
    char chunk[1 << 16];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) break;
        const std::size_t made = sizeof chunk - z.avail_out;
        if (out.size() + made > limit) {
            status = Z_BUF_ERROR;
            break;
        }
        out.append(chunk, made);
        if (made == 0 && z.avail_in == 0) break;  // the input ends without the stream's end
    }
    inflateEnd(&z);
    return status == Z_STREAM_END;
}
