#include "catalogue/suggestions.h"

#include <string>

#include "catalogue/catalogue_addresses.h"
#include "extract/json_doc.h"
#include "web/page_request.h"

namespace melkora {

std::vector<Text> read_suggestions(std::string_view answer) {
    std::vector<Text> hints;
    JsonDoc doc;
    if (!doc.parse(answer)) return hints;
    std::vector<Text> names;
    const int count = doc.member_names(names, "data[0].RecordDatas");
    hints.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k)
        hints.push_back(doc.get_text("data[0].RecordDatas[" + std::to_string(k) + "].HintInfo"));
    return hints;
}

std::vector<Text> fetch_suggestions(std::string_view input_text) {
    return read_suggestions(utf8_to_ansi(fetch_page(suggestion_address(input_text))));
}

}  // namespace melkora
