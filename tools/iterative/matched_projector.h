#pragma once
// A projector and its exact transpose for the iterative methods, on any set
// of views of the parallel geometry that raysum uses: pixel (row r, column
// q) centred on x = q − W/2, y = H/2 − r; view k at the angle index[k] × π /
// full_angles; bin b centred on t = b − N/2. Each pixel's weights in a view
// are its entry of the cij table (the area shares of its square's shadow in
// three neighbouring bins, evaluated on the fly as the projection library
// does), so a sinogram made by raysum is the very model here, up to rounding.
//
// A = scale × W, with W the weights: the forward sum of bin b runs over the
// image rows and then columns in increasing order; the transposed sum of a
// pixel over its views in the given order, bins k = 0, 1, 2 within a view.
// Both multiply by the scale last. Threads share out only whole outputs (the
// views of a forward projection, the image rows of a back projection), so
// the bytes never depend on the thread count; every lane type computes the
// weights with the same bits.

#include <cstdint>
#include <vector>

#include "tools/projection/projector.h"

struct ViewSet {
    std::int32_t width = 0, height = 0, bins = 0, full_angles = 0;
    std::vector<std::int32_t> index;  // angle index of each view on the half-turn grid
    std::vector<CijAngle> angle;  // its geometry
    std::vector<double> column_cos;  // views × width: x·cos θ of every column
    std::vector<double> row_sin;  // views × height: y·sin θ of every row
    std::int32_t views() const { return static_cast<std::int32_t>(index.size()); }
};

// The views first, first + step, … (count of them) of a half turn of
// full_angles projections.
ViewSet make_view_set(std::int32_t width, std::int32_t height, std::int32_t bins, std::int32_t full_angles,
                      std::int32_t first, std::int32_t step, std::int32_t count);

// The cij entries of one view for every image row (first bin −1 where
// empty), kept to project and back-project the same view in turn.
struct ViewEntries {
    std::vector<CijRowEntries> rows;
};
ViewEntries make_view_entries(const ViewSet& set);  // sized for the set's image
void fill_view_entries(const ViewSet& set, std::int32_t view, ViewEntries& entries);

// The single view's projection from its entries: row[b] = scale × Σ w x
// (the very bytes project_views gives for that view).
void project_entries(const ViewSet& set, std::int32_t view, const ViewEntries& entries, const double* image,
                     double scale, double* row);

// The single view's transposed sums from its entries, as back_project_sums
// forms them for a subset of that one view.
void back_project_entries(const ViewSet& set, const ViewEntries& entries, const double* row, const double* weights,
                          double* numerator, double* denominator);

// rows[k × N + b] = scale × Σ w x over the pixels, for the views listed
// (views[k]); one row per listed view.
void project_views(const ViewSet& set, const double* image, double scale, const std::int32_t* views,
                   std::int32_t count, double* rows);

// Every view: sinogram[v × N + b].
void project_all(const ViewSet& set, const double* image, double scale, double* sinogram);

// The sums of the transposed weights over the views listed, one pixel at a
// time: numerator[j] = Σ_k Σ w × rows[k][b] (rows as project_views lays them
// out), and, when `denominator` is given, denominator[j] = Σ_k Σ w ×
// weights[k][b], or Σ_k Σ w when `weights` is null. Neither is scaled.
void back_project_sums(const ViewSet& set, const double* rows, const double* weights, const std::int32_t* views,
                       std::int32_t count, double* numerator, double* denominator);

// image[j] = scale × Σ over every view of w × sinogram[v][b]: the transpose of project_all.
void back_project_all(const ViewSet& set, const double* sinogram, double scale, double* image);
