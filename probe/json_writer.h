#pragma once

#include <ostream>
#include <string_view>
#include <vector>

namespace qingwu::probe {

// Writes one JSON document to a stream as it is built: objects, arrays, keys and values in
// order, commas placed by the writer. Strings are UTF-8 and are escaped as JSON requires.
class JsonWriter {
  public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view utf8);
    JsonWriter& Number(long long value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    // Key followed by its value.
    JsonWriter& Field(std::string_view key, std::string_view utf8) { return Key(key).String(utf8); }
    JsonWriter& Field(std::string_view key, const char* utf8) { return Key(key).String(utf8); }
    JsonWriter& Field(std::string_view key, long long value) { return Key(key).Number(value); }
    JsonWriter& Field(std::string_view key, int value) { return Key(key).Number(value); }
    JsonWriter& Field(std::string_view key, bool value) { return Key(key).Bool(value); }

  private:
    void BeforeValue();
    void WriteString(std::string_view utf8);

    std::ostream& out_;
    // One entry per open object or array: true once it holds an element.
    std::vector<bool> filled_;
    bool afterKey_ = false;
};

}  // namespace qingwu::probe
