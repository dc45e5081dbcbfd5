#include "icd_code_text.h"

namespace dalvero {

std::string IcdCodeText(std::string_view code, IcdBook book) {
    std::size_t head = 2;
    if (book == IcdBook::Diagnoses) head = !code.empty() && (code.front() == 'E' || code.front() == 'e') ? 4 : 3;
    if (code.size() <= head || code.find('.') != std::string_view::npos) return std::string(code);
    return std::string(code.substr(0, head)) + "." + std::string(code.substr(head));
}

}  // namespace dalvero
