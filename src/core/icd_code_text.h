#pragma once
// ICD-9-CM codes as people read them. The code books store them without the
// decimal point ("25070"); diagnoses put it after the third character (after
// the fourth for E codes: "E000.0"), procedures after the second ("45.23").

#include <string>
#include <string_view>

namespace dalvero {

enum class IcdBook { Diagnoses, Procedures };

std::string IcdCodeText(std::string_view code, IcdBook book);

}  // namespace dalvero
