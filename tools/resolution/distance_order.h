#pragma once
// Ordering the pixels of an edge image by their distance from the edge.
//
// The order is that of a plain selection sort: for p = 0 … n−2 the first
// smallest distance among positions p … n−1 (a later equal distance does not
// replace it) is exchanged with position p, together with its pixel value.
// The exchanges move the displaced element far away, so among equal
// distances this order is neither the input order nor any stable sort's;
// measurements depend on it (sums run in this order), so it is reproduced
// exactly, in O(n log n) with a tournament tree over the positions.

#include <cstdint>

// Reorders distance[0 .. n−1] ascending and value[0 .. n−1] with it. A NaN
// distance is never taken as smaller than anything, and at position p it
// stays there, as in the selection sort.
void sort_by_distance(double* distance, double* value, std::int64_t n);
