#include "tools/resolution/column_table.h"

#include <cstdio>

#include "common/raw_file.h"

void write_column_table(const std::string& name, const double* values, std::int64_t count) {
    OutputFile table = open_table_file(name);
    for (std::int64_t i = 0; i < count; ++i) std::fprintf(table.stream(), "%f\n", values[i]);
    table.close();
}
