#include "code_books.h"

#include <charconv>
#include <fstream>
#include <functional>

#include "init_error.h"
#include "schema.h"
#include "table_catalogue.h"

namespace dalvero::server {
namespace {

namespace cat = dalvero::catalogue;

// Calls `each` with every line (without its line end) and its number.
void ForEachLine(const std::filesystem::path& file,
                 const std::function<void(std::string_view line, int number)>& each) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw InitError("cannot read " + file.string());
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        each(line, number);
    }
}

[[noreturn]] void BadLine(const std::filesystem::path& file, int number, const std::string& why) {
    throw InitError(file.string() + ":" + std::to_string(number) + ": " + why);
}

bool IsCoordinate(std::string_view text) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

void WriteCodes(Storage& storage, const char* table, const std::vector<CodeEntry>& codes) {
    storage.InTransaction([&] {
        for (const CodeEntry& entry : codes) {
            storage.Add(table, {{cat::icd9::kCode, entry.code}, {cat::icd9::kDescription, entry.description}});
        }
    });
}

}  // namespace

std::vector<CodeEntry> ReadCodeFile(const std::filesystem::path& file) {
    std::vector<CodeEntry> codes;
    ForEachLine(file, [&](std::string_view line, int number) {
        if (line.empty()) return;
        std::size_t space = line.find(' ');
        std::size_t text = space == std::string_view::npos ? space : line.find_first_not_of(' ', space);
        if (space == 0 || text == std::string_view::npos) BadLine(file, number, "expected a code and a description");
        codes.push_back({std::string(line.substr(0, space)), std::string(line.substr(text))});
    });
    return codes;
}

std::vector<ZipCentroid> ReadZipCentroids(const std::filesystem::path& file) {
    std::vector<ZipCentroid> zips;
    ForEachLine(file, [&](std::string_view line, int number) {
        if (number == 1) {
            if (line != "zip\tlat\tlon") BadLine(file, number, "expected the header zip, lat, lon");
            return;
        }
        if (line.empty()) return;
        std::size_t first = line.find('\t');
        std::size_t second = first == std::string_view::npos ? first : line.find('\t', first + 1);
        if (second == std::string_view::npos || line.find('\t', second + 1) != std::string_view::npos) {
            BadLine(file, number, "expected three tab-separated fields");
        }
        std::string_view zip = line.substr(0, first);
        std::string_view lat = line.substr(first + 1, second - first - 1);
        std::string_view lon = line.substr(second + 1);
        if (zip.size() != 5 || zip.find_first_not_of("0123456789") != std::string_view::npos) {
            BadLine(file, number, "not a five-digit ZIP: " + std::string(zip));
        }
        if (!IsCoordinate(lat) || !IsCoordinate(lon)) BadLine(file, number, "latitude or longitude is not a number");
        zips.push_back({std::string(zip), std::string(lat), std::string(lon)});
    });
    return zips;
}

CodeBooks ReadCodeBooks(const std::filesystem::path& dataDir) {
    return {ReadCodeFile(dataDir / "icd9cm_v32_diagnoses.txt"), ReadCodeFile(dataDir / "icd9cm_v32_procedures.txt"),
            ReadZipCentroids(dataDir / "zcta_centroids.tsv")};
}

void WriteCodeBooks(Storage& storage, const CodeBooks& books) {
    WriteCodes(storage, cat::tbl::kICD9Symptom, books.diagnoses);
    WriteCodes(storage, cat::tbl::kICD9Treatment, books.procedures);
    storage.InTransaction([&] {
        namespace zc = schema::zip_centroids;
        for (const ZipCentroid& zip : books.zips) {
            storage.Add(schema::kZipCentroids, {{zc::kZip, zip.zip}, {zc::kLatitude, zip.latitude}, {zc::kLongitude, zip.longitude}});
        }
    });
}

}  // namespace dalvero::server
