#include "app/memory_settings_store.h"

namespace vexilo {

namespace {

MemorySettingsStore::Key key(std::string_view section, std::string_view entry) {
  return {std::string(section), std::string(entry)};
}

}  // namespace

std::string MemorySettingsStore::readString(std::string_view section, std::string_view entry,
                                            std::string_view fallback) {
  const auto found = strings.find(key(section, entry));
  return found == strings.end() ? std::string(fallback) : found->second;
}

int MemorySettingsStore::readInt(std::string_view section, std::string_view entry, int fallback) {
  const auto found = integers.find(key(section, entry));
  return found == integers.end() ? fallback : found->second;
}

void MemorySettingsStore::writeString(std::string_view section, std::string_view entry,
                                      std::string_view value) {
  ++writes;
  strings[key(section, entry)] = std::string(value);
}

void MemorySettingsStore::writeInt(std::string_view section, std::string_view entry, int value) {
  ++writes;
  integers[key(section, entry)] = value;
}

}  // namespace vexilo
