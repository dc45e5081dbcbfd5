#include "geo.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

#include "schema.h"
#include "store_reads.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero::server::functions {
namespace {

constexpr double kEarthRadiusMiles = 3958.8;

std::optional<GeoPoint> PointOf(const std::string& latitude, const std::string& longitude) {
    if (latitude.empty() || longitude.empty()) return std::nullopt;
    const double lat = ToFloatDef(latitude, 1000);
    const double lon = ToFloatDef(longitude, 1000);
    if (std::fabs(lat) > 90 || std::fabs(lon) > 180) return std::nullopt;
    return GeoPoint{lat, lon};
}

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

}  // namespace

double MilesBetween(const GeoPoint& a, const GeoPoint& b) {
    const double dLat = Radians(b.latitude - a.latitude);
    const double dLon = Radians(b.longitude - a.longitude);
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(Radians(a.latitude)) * std::cos(Radians(b.latitude)) * std::sin(dLon / 2) *
                         std::sin(dLon / 2);
    return 2 * kEarthRadiusMiles * std::asin(std::sqrt(std::min(1.0, h)));
}

std::string FiveDigitZip(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (text.size() < 5) return {};
    for (std::size_t i = 0; i < 5; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return {};
    if (text.size() > 5 && std::isdigit(static_cast<unsigned char>(text[5]))) return {};
    return std::string(text.substr(0, 5));
}

std::optional<GeoPoint> ZipCentroid(Storage& storage, std::string_view zipText) {
    const std::string zip = FiveDigitZip(zipText);
    if (zip.empty()) return std::nullopt;
    const auto rows = RecordsWhere(storage, schema::kZipCentroids, schema::zip_centroids::kZip, zip);
    if (rows.empty()) return std::nullopt;
    return PointOf(Field(rows.front(), schema::zip_centroids::kLatitude), Field(rows.front(), schema::zip_centroids::kLongitude));
}

std::optional<GeoPoint> ProviderPosition(Storage& storage, const Record& provider) {
    if (auto point = PointOf(Field(provider, schema::provider_position::kLatitude), Field(provider, schema::provider_position::kLongitude))) return point;
    return ZipCentroid(storage, Field(provider, catalogue::providers::kZip));
}

}  // namespace dalvero::server::functions
