#pragma once
// The geometry of a fan-beam scan and the small text file that carries it
// beside a fan sinogram (a raw file does not know how it was measured).
//
// Coordinates are those of every image in the suite: x to the right, y
// upwards, the isocentre at pixel (H/2, W/2). At view angle β the source
// stands at R·(−sin β, cos β); the central ray runs through the isocentre
// and the ray at fan angle γ (positive towards e_t = (cos β, sin β)) is the
// parallel ray of angle θ = β + γ at distance t = R·sin γ, in the suite's
// parallel convention t = x·cos θ + y·sin θ. So a fan sinogram rebins
// into the sinogram that raysum and reconstruct use.
//
// Detector bin b (0 … N − 1) is centred at (b − N/2 + offset) spacings from
// the central ray (N/2 an integer half, as the parallel bins): an angle
// γ = that × Δγ on a curved detector (equi-angular), a length u = that × Δu
// on a flat one at the source-to-detector distance D (γ = atan(u / D)).
// View i stands at β_i = i × range / views.

#include <cstdint>
#include <string>

#include "common/output_file.h"

// π and 2π as the whole suite takes them.
inline constexpr double fan_pi = 3.14159265358979;
inline constexpr double fan_two_pi = 6.28318530717958;

enum class FanDetector { curved = 1,
                         flat = 2 };

// The scan's angular range: a full turn, a short scan (180° + the fan
// angle), or a range in degrees.
enum class FanScan { full = 1,
                     short_scan = 2,
                     given = 3 };

struct FanGeometry {
    FanDetector detector = FanDetector::curved;
    double source_distance = 0;  // R, source to isocentre, cm
    double detector_distance = 0;  // D, source to detector, cm
    std::int32_t bins = 0;  // N
    double spacing = 0;  // Δγ in radians (curved) or Δu in cm at the detector (flat)
    double offset = 0;  // detector offset in bins
    std::int32_t views = 0;  // P
    double range = 0;  // radians, 0 < range ≤ 2π
};

// The detector position of bin b in spacings from the central ray.
inline double bin_position(const FanGeometry& g, std::int32_t b) {
    return static_cast<double>(b - g.bins / 2) + g.offset;
}

// The fan angle γ of bin b.
double bin_fan_angle(const FanGeometry& g, std::int32_t b);

// The largest |γ| of any bin centre: the half fan angle that the short scan
// and Parker's weights take.
double half_fan_angle(const FanGeometry& g);

// The short-scan range π + 2 × half_fan_angle.
double short_scan_range(const FanGeometry& g);

// The view angle β of view i.
inline double view_angle(const FanGeometry& g, std::int32_t i) { return i * g.range / g.views; }

// Whether the range is a whole turn (the views then wrap around).
bool full_turn(const FanGeometry& g);

// Refuses (a Failure naming the answer, nothing written yet) a geometry
// that cannot be measured: distances, counts or spacings that are not
// positive, a detector nearer than the isocentre, a range outside
// (0°, 360°], a fan wider than 180°. `field_radius` (cm, the circle around
// the isocentre that must be seen whole: the image's inscribed circle)
// then also refuses a source inside that circle and a detector too small
// for the fan that covers it.
void check_fan_geometry(const FanGeometry& g, double field_radius);

// The radius of the circle inscribed in the larger side of a W × H image of
// pixel length Δ (cm): the field every view must see.
double field_radius(std::int32_t width, std::int32_t height, double pixel_length);

// The geometry file: "key = value" lines (values printed to round trip
// exactly), "#" lines comments.
std::string fan_geometry_text(const FanGeometry& g);
// Reads such a text; a missing or unreadable key, or an unknown detector,
// fails naming the file and the key.
FanGeometry parse_fan_geometry(const std::string& text, const std::string& file_name);
// The same from a file (a file that cannot be opened fails as every tool does).
FanGeometry read_fan_geometry_file(const std::string& name);
// The geometry written to its file, not yet put in place: closing it does
// (a tool writing a sinogram with it closes that first, so that a failed
// write leaves the earlier sinogram and geometry together).
OutputFile fan_geometry_output(const std::string& name, const FanGeometry& g);
