#include "provider_position.h"

#include <cstdio>

#include "command_args.h"
#include "geo.h"
#include "schema.h"
#include "store_reads.h"
#include "table_catalogue.h"

namespace dalvero::server::functions {
namespace cat = catalogue;
namespace {

std::string Degrees(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

}  // namespace

void UpdateProviderLatitudeLongitude(const CommandContext& context, cJsonNode& request, cJsonNode&) {
    const std::int64_t seq = RequiredSeq(request, "ProviderSeq", "provider");
    const auto provider = context.storage.Read(cat::tbl::kProviderEntities, seq);
    if (!provider) throw CommandError("Provider " + std::to_string(seq) + " was not found.");

    const std::string zip = Field(*provider, cat::providers::kZip);
    const auto centroid = ZipCentroid(context.storage, zip);
    if (!centroid) {
        // A position left from the old ZIP code would put the provider in the
        // wrong place; without one, matching leaves it out until fixed.
        context.storage.Update(cat::tbl::kProviderEntities, seq, {{schema::provider_position::kLatitude, ""}, {schema::provider_position::kLongitude, ""}});
        if (zip.empty()) throw CommandError("The provider has no zip code.");
        throw CommandError("The zip code \"" + zip + "\" was not found in the zip code table.");
    }
    context.storage.Update(cat::tbl::kProviderEntities, seq,
                           {{schema::provider_position::kLatitude, Degrees(centroid->latitude)}, {schema::provider_position::kLongitude, Degrees(centroid->longitude)}});
}

}  // namespace dalvero::server::functions
