#include "compiler/description_keys.h"

#include "compiler/text_1252.h"

namespace sc {

bool holds_key(const DescriptionKey& key, std::string_view field) {
  const auto holds = [&](std::string_view w) {
    return key.exact_case ? contains(field, w) : contains_ic(field, w);
  };
  return holds(key.word) && (key.also.empty() || holds(key.also));
}

std::vector<std::string_view> key_words(std::span<const DescriptionKey> keys) {
  std::vector<std::string_view> out;
  for (const DescriptionKey& k : keys) out.push_back(k.word);
  return out;
}

std::vector<std::string_view> written_keys(std::span<const DescriptionKey> keys) {
  std::vector<std::string_view> out;
  for (const DescriptionKey& k : keys) {
    for (const std::string_view w : k.written) {
      if (!w.empty()) out.push_back(w);
    }
  }
  return out;
}

bool key_with_position(std::string_view field) {
  for (const std::span<const DescriptionKey> keys :
       {std::span<const DescriptionKey>(line_general_keys),
        std::span<const DescriptionKey>(line_element_keys),
        std::span<const DescriptionKey>(train_keys)}) {
    for (const DescriptionKey& k : keys) {
      if (k.positioned && holds_key(k, field)) return true;
    }
  }
  return false;
}

}  // namespace sc
