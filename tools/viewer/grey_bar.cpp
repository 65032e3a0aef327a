#include "tools/viewer/grey_bar.h"

#include <algorithm>
#include <cstdio>

#include "common/sample_arrays.h"

namespace {

// 5 × 7 glyphs of the characters a label can hold.
struct Glyph {
    char c;
    const char* rows[7];
};
const Glyph glyphs[] = {
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'+', {".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
};

struct Canvas {
    std::vector<unsigned char>& grey;
    std::int32_t width, height;
    void set(std::int64_t x, std::int64_t y, unsigned char level) {
        if (x >= 0 && y >= 0 && x < width && y < height) grey[static_cast<std::size_t>(y * width + x)] = level;
    }
};

// Draws `text` white with its top left corner at (x, y), each font pixel
// scale × scale; a character without a glyph (a blank) leaves a gap.
void draw_text(Canvas& canvas, const std::string& text, std::int64_t x, std::int64_t y, int scale) {
    for (const char c : text) {
        for (const Glyph& g : glyphs) {
            if (g.c != c) continue;
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col) {
                    if (g.rows[row][col] != '#') continue;
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx) canvas.set(x + col * scale + dx, y + row * scale + dy, 255);
                }
        }
        x += 6 * scale;
    }
}

}  // namespace

std::string bar_label(double hounsfield) {
    char text[40];
    std::snprintf(text, sizeof text, "%.6g HU", hounsfield);
    return text;
}

BarredPicture with_grey_bar(const std::vector<unsigned char>& grey, std::int32_t width, std::int32_t height,
                            const HuWindow& window) {
    const int scale = height >= 128 ? 2 : 1;
    const double top = window.centre + window.width / 2.0, bottom = window.centre - window.width / 2.0;
    const std::string labels[3] = {bar_label(top), bar_label(window.centre), bar_label(bottom)};
    std::size_t longest = 0;
    for (const std::string& label : labels) longest = std::max(longest, label.size());
    const std::int32_t gap = 4 * scale, bar = 8 * scale, glyph_height = 7 * scale;
    const std::int32_t text_width = static_cast<std::int32_t>(longest) * 6 * scale;
    BarredPicture out;
    out.width = width + gap + bar + gap + text_width + gap;
    out.height = std::max(height, 3 * glyph_height + 4 * scale + 1);
    out.grey = take_array<unsigned char>(sample_count(out.width, out.height));
    std::fill(out.grey.begin(), out.grey.end(), static_cast<unsigned char>(0));
    Canvas canvas{out.grey, out.width, out.height};
    for (std::int32_t y = 0; y < height; ++y)
        std::copy_n(grey.begin() + static_cast<std::ptrdiff_t>(y) * width, width,
                    out.grey.begin() + static_cast<std::ptrdiff_t>(y) * out.width);

    const std::int32_t bar_x = width + gap;
    for (std::int32_t y = 0; y < out.height; ++y) {
        const double hounsfield = top - (top - bottom) * (static_cast<double>(y) / (out.height - 1));
        const unsigned char level = hu_grey_level_of_hounsfield(hounsfield, window);
        for (std::int32_t x = 1; x < bar - 1; ++x) canvas.set(bar_x + x, y, level);
        canvas.set(bar_x, y, 128);
        canvas.set(bar_x + bar - 1, y, 128);
    }
    const std::int32_t text_x = bar_x + bar + gap;
    draw_text(canvas, labels[0], text_x, 0, scale);
    draw_text(canvas, labels[1], text_x, (out.height - glyph_height) / 2, scale);
    draw_text(canvas, labels[2], text_x, out.height - glyph_height, scale);
    return out;
}
