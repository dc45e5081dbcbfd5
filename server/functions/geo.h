#pragma once
// Where providers, hospitals and patients are, and how far apart: positions
// come from the ZIP code centroids, distances are great-circle miles.

#include <optional>
#include <string>
#include <string_view>

#include "storage.h"

namespace dalvero::server::functions {

struct GeoPoint {
    double latitude = 0;
    double longitude = 0;
};

double MilesBetween(const GeoPoint& a, const GeoPoint& b);

// The five-digit ZIP code that text starts with ("43210-1234" gives "43210");
// empty when it does not start with five digits.
std::string FiveDigitZip(std::string_view text);

std::optional<GeoPoint> ZipCentroid(Storage& storage, std::string_view zipText);

// A provider's (or hospital's) stored position, else its ZIP code's centroid.
std::optional<GeoPoint> ProviderPosition(Storage& storage, const Record& provider);

}  // namespace dalvero::server::functions
