#include "probe/json_writer.h"

namespace qingwu::probe {

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!filled_.empty()) {
        if (filled_.back()) {
            out_ << ',';
        }
        filled_.back() = true;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    out_ << '{';
    filled_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    filled_.pop_back();
    out_ << '}';
    if (filled_.empty()) {
        out_ << '\n';
    }
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    out_ << '[';
    filled_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    filled_.pop_back();
    out_ << ']';
    if (filled_.empty()) {
        out_ << '\n';
    }
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    WriteString(key);
    out_ << ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view utf8) {
    BeforeValue();
    WriteString(utf8);
    return *this;
}

void JsonWriter::WriteString(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    out_ << '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out_ << "\\\"";
                break;
            case '\\':
                out_ << "\\\\";
                break;
            case '\n':
                out_ << "\\n";
                break;
            case '\r':
                out_ << "\\r";
                break;
            case '\t':
                out_ << "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    out_ << "\\u00" << kHex[byte >> 4] << kHex[byte & 0xF];
                } else {
                    out_ << c;
                }
        }
    }
    out_ << '"';
}

JsonWriter& JsonWriter::Number(long long value) {
    BeforeValue();
    out_ << value;
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ << (value ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    out_ << "null";
    return *this;
}

}  // namespace qingwu::probe
