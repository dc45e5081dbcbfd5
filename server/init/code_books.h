#pragma once
// The shipped reference files: ICD-9-CM diagnoses and procedures (the code
// look-ups) and ZIP centroids (provider distances).

#include <filesystem>
#include <string>
#include <vector>

#include "storage.h"

namespace dalvero::server {

struct CodeEntry {
    std::string code;  // without the decimal point, as stored
    std::string description;
};

struct ZipCentroid {
    std::string zip;  // five digits, leading zeros kept
    std::string latitude;  // decimal degrees as published
    std::string longitude;
};

// Readers of the files' formats (data/README.md); they throw InitError with
// the file and line of the first line they cannot read.
std::vector<CodeEntry> ReadCodeFile(const std::filesystem::path& file);
std::vector<ZipCentroid> ReadZipCentroids(const std::filesystem::path& file);

struct CodeBooks {
    std::vector<CodeEntry> diagnoses;
    std::vector<CodeEntry> procedures;
    std::vector<ZipCentroid> zips;
};

// The three files of `dataDir`.
CodeBooks ReadCodeBooks(const std::filesystem::path& dataDir);
// Into ICD9Symptom, ICD9Treatment and ZipCentroids, each in one transaction.
void WriteCodeBooks(Storage& storage, const CodeBooks& books);

}  // namespace dalvero::server
